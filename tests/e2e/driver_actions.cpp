// The driver's commands that take more than a line: processes, expected lines, the button bar,
// message boxes, check-list ticks and folder listings.
#include "tests/e2e/driver_commands.h"

#include "wizard/control_ids.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>

namespace e2e {

namespace {

std::wstring Quote(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text)
        quoted += c == L'\r'   ? std::wstring(L"\\r")
                  : c == L'\n' ? std::wstring(L"\\n")
                               : std::wstring(1, c);
    return quoted + L"\"";
}

std::wstring OnOff(bool on) {
    return on ? L"on" : L"off";
}

} // namespace

std::vector<DWORD> TDriver::TargetPids() const {
    std::vector<DWORD> pids;
    for (const TProcess& p : FProcesses)
        if (p.UnderTest)
            pids.push_back(p.Pid);
    return pids;
}

TDriver::TProcess* TDriver::Target() {
    for (auto p = FProcesses.rbegin(); p != FProcesses.rend(); ++p)
        if (p->UnderTest)
            return &*p;
    return nullptr;
}

void TDriver::Start(const TArgs& args, bool underTest) {
    if (args.size() < 2)
        throw EFailure(L"usage: start|spawn PATH [ARG...]");
    const std::wstring path = WindowsPath(args[1]);
    std::wstring commandLine = L"\"" + path + L"\"";
    for (size_t i = 2; i < args.size(); ++i)
        commandLine +=
            args[i].find(L' ') == std::wstring::npos ? L" " + args[i] : L" \"" + args[i] + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (underTest)
        QueryPerformanceCounter(&FStarted);
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        throw EFailure(L"cannot start " + path + L" (error " + std::to_wstring(GetLastError()) +
                       L")");
    CloseHandle(info.hThread);
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    FProcesses.push_back({name, info.hProcess, info.dwProcessId, underTest});
    Say(L"  " + name + L" pid = " + std::to_wstring(info.dwProcessId));
    if (!PidFile.empty()) {
        std::ofstream out(Narrow(PidFile), std::ios::app);
        out << info.dwProcessId << "\n";
    }
    if (underTest)
        FWindow = nullptr;
}

void TDriver::EndProcesses(bool keep) {
    for (TProcess& p : FProcesses) {
        if (WaitForSingleObject(p.Handle, 0) == WAIT_OBJECT_0)
            continue;
        if (keep) {
            Say(L"  left running for inspection: " + p.Name + L" pid " + std::to_wstring(p.Pid));
            continue;
        }
        Say(L"  ending " + p.Name + L" (still running at the end)");
        TerminateProcess(p.Handle, 1);
        WaitForSingleObject(p.Handle, 5000);
    }
}

void TDriver::KillPids(const TArgs& args) {
    if (args.size() < 2)
        throw EFailure(L"usage: kill-pids FILE");
    std::ifstream in(Narrow(args[1]));
    DWORD pid;
    while (in >> pid) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
            Say(L"  ending pid " + std::to_wstring(pid));
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

void TDriver::ExpectLines(const TArgs& args) {
    if (args.size() < 2)
        throw EFailure(L"usage: expect-lines CONTROL [LINE...]");
    std::vector<std::wstring> expected(args.begin() + 2, args.end());
    if (args.size() == 2) {
        while (FLine + 1 < FLines->size()) {
            const std::wstring& next = (*FLines)[FLine + 1];
            const size_t bar = next.find_first_not_of(L" \t");
            if (bar == std::wstring::npos || next[bar] != L'|')
                break;
            expected.push_back(next.substr(bar + 1));
            Say(L"  " + next.substr(bar));
            ++FLine;
        }
    }
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        const std::vector<std::wstring> found = ControlLines(Control(args[1]));
        if (found == expected)
            return std::nullopt;
        std::wstring report = args[1] + L": lines differ\n  expected " +
                              std::to_wstring(expected.size()) + L" lines:\n";
        for (const std::wstring& line : expected)
            report += L"    |" + line + L"\n";
        report += L"  found " + std::to_wstring(found.size()) + L" lines:\n";
        for (const std::wstring& line : found)
            report += L"    |" + line + L"\n";
        return report;
    });
}

void TDriver::ExpectButtons(const TArgs& args) {
    if (args.size() < 4)
        throw EFailure(
            L"usage: expect-buttons PREV NEXT CANCEL (on|off, CANCEL as CAPTION:on|off)");
    const std::wstring wanted =
        L"BtnPrev " + args[1] + L", BtnNext " + args[2] + L", BtnCancel " + args[3];
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        HWND cancel = Control(L"BtnCancel");
        const std::wstring found = L"BtnPrev " + OnOff(IsWindowEnabled(Control(L"BtnPrev"))) +
                                   L", BtnNext " + OnOff(IsWindowEnabled(Control(L"BtnNext"))) +
                                   L", BtnCancel " + WindowText(cancel) + L":" +
                                   OnOff(IsWindowEnabled(cancel));
        if (found == wanted)
            return std::nullopt;
        return L"on page " + Page() + L": expected " + wanted + L"; found " + found;
    });
}

void TDriver::ExpectMessageBox(const TArgs& args) {
    if (args.size() < 4)
        throw EFailure(L"usage: expect-msgbox CAPTION ICON TEXT [SECONDS]");
    Poll(TimeoutArg(args, 4), [&]() -> std::optional<std::wstring> {
        HWND box = FindMessageBox(TargetPids());
        if (!box)
            return L"expected message box " + Quote(args[1]) + L", found none";
        const TMessageBoxInfo info = ReadMessageBox(box);
        std::wstring buttons;
        for (const std::wstring& b : info.Buttons)
            buttons += (buttons.empty() ? L"" : L",") + b;
        // One button, OK: its caption is the system's, in the system's language.
        const bool ok = info.Buttons.size() == 1 && FindControls(box, IDOK).size() == 1;
        if (info.Caption == args[1] && info.Icon == args[2] && info.Text == args[3] && ok)
            return std::nullopt;
        return L"message box differs\n  expected caption=" + Quote(args[1]) + L" icon=" + args[2] +
               L" buttons=OK text=" + Quote(args[3]) + L"\n  found    caption=" +
               Quote(info.Caption) + L" icon=" + info.Icon + L" buttons=" + buttons + L" text=" +
               Quote(info.Text);
    });
    Say(L"  message box as expected");
}

void TDriver::AnswerMessageBox() {
    HWND box = FindMessageBox(TargetPids());
    if (!box)
        throw EFailure(L"no message box to answer");
    const std::vector<HWND> ok = FindControls(box, IDOK);
    if (ok.empty())
        throw EFailure(L"the message box " + Quote(WindowText(box)) + L" has no OK button");
    SendNotifyMessageW(ok.front(), BM_CLICK, 0, 0);
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        if (!IsWindow(box) || !IsWindowVisible(box))
            return std::nullopt;
        return L"the message box " + Quote(WindowText(box)) + L" stays open after OK";
    });
    Sync();
}

void TDriver::Toggle(const TArgs& args) {
    if (args.size() < 3)
        throw EFailure(L"usage: toggle CHECKLIST INDEX");
    HWND list = Control(args[1]);
    const int index = _wtoi(args[2].c_str());
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count)
        throw EFailure(args[1] + L" has " + std::to_wstring(count) + L" items, no item " + args[2]);
    const LRESULT before = SendMessageW(list, LB_GETITEMDATA, index, 0);
    // The keyboard way a user ticks an item: select it, press the space bar.
    SendMessageW(list, LB_SETCURSEL, index, 0);
    // Posted, so the program's own loop translates the key as it would a real one.
    PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0390001);
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        const LRESULT after = SendMessageW(list, LB_GETITEMDATA, index, 0);
        if ((after == 1) != (before == 1))
            return std::nullopt;
        return args[1] + L" item " + args[2] + L": the space bar did not change its tick (" +
               (before == 1 ? L"ticked" : L"unticked") + L")";
    });
}

void TDriver::Dir(const TArgs& args) {
    if (args.size() < 2)
        throw EFailure(L"usage: dir PATH");
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((WindowsPath(args[1]) + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        throw EFailure(L"cannot list " + args[1]);
    do {
        std::wstring flags;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            flags += L"d";
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)
            flags += L"h";
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM)
            flags += L"s";
        Say(L"  entry " + (flags.empty() ? L"-" : flags) + L" " + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void TDriver::Shortcut(const TArgs& args) {
    if (args.size() < 2)
        throw EFailure(L"usage: shortcut FILE.lnk");
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(&link)));
    read =
        read && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    read = read && SUCCEEDED(file->Load(WindowsPath(args[1]).c_str(), STGM_READ));
    read = read && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    read = read && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    if (!read)
        throw EFailure(L"cannot read the shortcut " + Quote(args[1]));
    Say(L"  target = " + Quote(target));
    Say(L"  folder = " + Quote(folder));
}

// expect-version FILE NAME VALUE: the program's version resource, read as Windows' file
// properties read it (through the translation it lists), holds the string NAME with VALUE.
void TDriver::ExpectVersion(const TArgs& args) {
    if (args.size() < 4)
        throw EFailure(L"usage: expect-version FILE NAME VALUE");
    const std::wstring path = WindowsPath(args[1]);
    DWORD ignored = 0;
    std::vector<uint8_t> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, DWORD(block.size()), block.data()))
        throw EFailure(path + L": no version resource");
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        throw EFailure(path + L": the version resource lists no translation");
    wchar_t name[64];
    swprintf(name, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    wchar_t* value = nullptr;
    const bool found = VerQueryValueW(block.data(), (name + args[2]).c_str(),
                                      reinterpret_cast<void**>(&value), &length);
    const std::wstring text = found && value ? std::wstring(value) : L"(none)";
    if (text != args[3])
        throw EFailure(path + L": version string " + args[2] + L" is " + Quote(text) +
                       L", expected " + Quote(args[3]));
    Say(L"  " + args[2] + L" = " + Quote(text));
}

// xdotool ARG...: runs the X tool of that name (Wine starts Unix programs too), so that keys
// come through the X server and Wine's keyboard driver as a person's would. Wine's handle of a
// Unix process is signalled at once, so waiting on it would let the next keys overlap these
// (a Tab pressed while ctrl+Tab still holds ctrl): a shell runs the tool and leaves its exit
// code in a file, which this waits for.
void TDriver::XdoTool(const TArgs& args) {
    static int calls = 0;
    const std::wstring marker = L"/tmp/kosetup-xdotool-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++calls);
    std::wstring commandLine = L"sh -c \"xdotool \\\"$@\\\"; echo $? >\\\"$0.new\\\" && mv "
                               L"\\\"$0.new\\\" \\\"$0\\\"\" \"" +
                               marker + L"\"";
    for (size_t i = 1; i < args.size(); ++i)
        commandLine += L" \"" + args[i] + L"\"";
    std::wstring windowsMarker = L"Z:" + marker;
    std::replace(windowsMarker.begin(), windowsMarker.end(), L'/', L'\\');
    DeleteFileW(windowsMarker.c_str()); // left by an earlier driver of the same process id
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        throw EFatal(L"cannot start xdotool (error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::string code;
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        std::ifstream in(std::string(windowsMarker.begin(), windowsMarker.end()));
        if (!(in >> code))
            return L"xdotool has not ended";
        return std::nullopt;
    });
    DeleteFileW(windowsMarker.c_str());
    if (code != "0")
        throw EFailure(L"xdotool failed (exit code " + std::wstring(code.begin(), code.end()) +
                       L")");
    Sync();
}

// expect-focus CONTROL: the wizard's thread has the keyboard focus on CONTROL, and the focus
// mark is not hidden there.
void TDriver::ExpectFocus(const TArgs& args) {
    if (args.size() < 2)
        throw EFailure(L"usage: expect-focus CONTROL");
    Poll(Timeout, [&]() -> std::optional<std::wstring> {
        HWND control = Control(args[1]);
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(Window(), nullptr), &thread);
        if (thread.hwndFocus != control) {
            const int id = thread.hwndFocus ? GetDlgCtrlID(thread.hwndFocus) : 0;
            return L"expected the focus on " + args[1] + L", found it on " +
                   (thread.hwndFocus ? L"control " + std::to_wstring(id) + L" (" +
                                           ClassName(thread.hwndFocus) + L")"
                                     : std::wstring(L"no window"));
        }
        if (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)
            return args[1] + L" has the focus, but its focus mark is hidden";
        return std::nullopt;
    });
    Say(L"  focus on " + args[1]);
}

} // namespace e2e
