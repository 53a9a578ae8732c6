#include "tests/e2e/driver_commands.h"

#include "wizard/control_ids.h"

#include <commctrl.h>

#include <algorithm>

#include <cstdio>
#include <fstream>

namespace e2e {

namespace {

struct TNamedId {
    const wchar_t* Name;
    int Id;
};

#define KO_ID(name)                                                                                \
    { L## #name, ko::ids::name }
const TNamedId ControlIds[] = {
    KO_ID(BtnPrev),        KO_ID(BtnNext),        KO_ID(BtnCancel),      KO_ID(PanelStart),
    KO_ID(PanelInstall),   KO_ID(PanelFinish),    KO_ID(ImgBanner),      KO_ID(LabelStart1),
    KO_ID(LabelStart2),    KO_ID(LabelFinish1),   KO_ID(LabelFinish2),   KO_ID(CheckRun),
    KO_ID(ComboRun),       KO_ID(PanelLicense),   KO_ID(RichLicense),    KO_ID(RadioAccept),
    KO_ID(RadioNotAccept), KO_ID(PanelInfo),      KO_ID(RichInfo),       KO_ID(PanelNews),
    KO_ID(RichNews),       KO_ID(PanelFolder),    KO_ID(ListMetaTrader), KO_ID(BtnAddMetaTrader),
    KO_ID(PanelReady),     KO_ID(MemoReady),      KO_ID(PanelProgress),  KO_ID(LabelProgress1),
    KO_ID(LabelProgress2), KO_ID(LabelProgress3), KO_ID(ProgressBar1),   KO_ID(MemoProgress),
    KO_ID(HeadTitle),      KO_ID(HeadSubtitle),   KO_ID(HeadText),       KO_ID(HeadIcon),
};
#undef KO_ID

// The page panels and the names the driver gives the pages.
const TNamedId Pages[] = {
    {L"information", ko::ids::PanelInfo},   {L"license", ko::ids::PanelLicense},
    {L"destination", ko::ids::PanelFolder}, {L"review", ko::ids::PanelReady},
    {L"progress", ko::ids::PanelProgress},  {L"whats-new", ko::ids::PanelNews},
    {L"welcome", ko::ids::PanelStart},
};

int IdOf(const std::wstring& name) {
    if (!name.empty() && iswdigit(name[0]))
        return std::stoi(name, nullptr, 0);
    for (const TNamedId& named : ControlIds)
        if (name == named.Name)
            return named.Id;
    throw EFailure(L"unknown control name \"" + name + L"\"");
}

// Shows control characters the way the scripts write them.
std::wstring Quote(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\r')
            quoted += L"\\r";
        else if (c == L'\n')
            quoted += L"\\n";
        else if (c == L'\t')
            quoted += L"\\t";
        else if (c == L'"' || c == L'\\')
            quoted += std::wstring(L"\\") + c;
        else
            quoted += c;
    }
    return quoted + L"\"";
}

std::vector<std::wstring> Tokenize(const std::wstring& line) {
    std::vector<std::wstring> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (iswspace(line[i])) {
            ++i;
            continue;
        }
        std::wstring token;
        while (i < line.size() && !iswspace(line[i])) {
            const wchar_t quote = line[i];
            if (quote != L'"' && quote != L'\'') {
                token += line[i++];
                continue;
            }
            for (++i; i < line.size() && line[i] != quote; ++i) {
                if (quote == L'"' && line[i] == L'\\' && i + 1 < line.size()) {
                    const wchar_t next = line[i + 1];
                    const wchar_t* escapes = L"r\rn\nt\t\"\"\\\\";
                    const wchar_t* hit = next ? wcschr(escapes, next) : nullptr;
                    if (hit && (hit - escapes) % 2 == 0) {
                        token += hit[1];
                        ++i;
                        continue;
                    }
                }
                token += line[i];
            }
            if (i >= line.size())
                throw EFailure(L"unterminated quote in: " + line);
            ++i;
        }
        tokens.push_back(token);
    }
    return tokens;
}

void Need(const std::vector<std::wstring>& args, size_t count, const wchar_t* usage) {
    if (args.size() < count)
        throw EFailure(std::wstring(L"usage: ") + usage);
}

const std::wstring& First(const std::vector<std::wstring>& args) {
    Need(args, 2, L"COMMAND CONTROL");
    return args[1];
}

} // namespace

// A path as Windows programs want it: a Unix path goes through drive Z:.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::string Narrow(const std::wstring& text) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, 0);
    std::string narrow(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), n, nullptr, 0);
    return narrow;
}

TDriver::TDriver() {
    auto print = [this](const std::wstring& label, const std::wstring& value) {
        Say(L"  " + label + L" = " + value);
    };
    auto state = [this](const std::wstring& ref, const wchar_t* what, bool wanted,
                        const std::function<bool(HWND)>& test) {
        Poll(Timeout, [&]() -> std::optional<std::wstring> {
            const bool is = test(Control(ref));
            if (is == wanted)
                return std::nullopt;
            return ref + L": expected " + (wanted ? L"" : L"not ") + what + L", found " +
                   (is ? L"" : L"not ") + what;
        });
    };
    auto checked = [](HWND c) { return SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    auto visible = [](HWND c) { return IsWindowVisible(c) != FALSE; };
    auto enabled = [](HWND c) { return IsWindowEnabled(c) != FALSE; };

    FCommands[L"start"] = [this](const TArgs& a) { Start(a, true); };
    FCommands[L"spawn"] = [this](const TArgs& a) { Start(a, false); };
    FCommands[L"wait-window"] = [this](const TArgs& a) {
        Need(a, 2, L"wait-window CAPTION [SECONDS]");
        Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
            FWindow = FindTopLevel(TargetPids(), a[1]);
            if (FWindow)
                return std::nullopt;
            if (TProcess* target = Target())
                if (WaitForSingleObject(target->Handle, 0) == WAIT_OBJECT_0)
                    throw EFailure(L"window " + Quote(a[1]) + L" expected, but " + target->Name +
                                   L" has ended");
            return L"no window captioned " + Quote(a[1]);
        });
    };
    FCommands[L"wait-class"] = [this](const TArgs& a) {
        Need(a, 2, L"wait-class CLASS [SECONDS]");
        Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
            if (FindTopLevelsOfClass(a[1]).empty())
                return L"no window of class " + Quote(a[1]);
            return std::nullopt;
        });
    };
    FCommands[L"close-class"] = [this](const TArgs& a) {
        Need(a, 2, L"close-class CLASS [SECONDS]");
        for (HWND window : FindTopLevelsOfClass(a[1]))
            PostMessageW(window, WM_CLOSE, 0, 0);
        Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
            if (FindTopLevelsOfClass(a[1]).empty())
                return std::nullopt;
            return L"a window of class " + Quote(a[1]) + L" is still open";
        });
    };
    FCommands[L"caption"] = [=, this](const TArgs& a) {
        Need(a, 2, L"caption CONTROL");
        print(a[1], Quote(WindowText(Control(a[1]))));
    };
    FCommands[L"expect-caption"] = [this](const TArgs& a) {
        Need(a, 3, L"expect-caption CONTROL TEXT");
        Poll(Timeout, [&]() -> std::optional<std::wstring> {
            const std::wstring found = WindowText(Control(a[1]));
            if (found == a[2])
                return std::nullopt;
            return a[1] + L": expected caption " + Quote(a[2]) + L", found " + Quote(found);
        });
    };
    for (auto [name, what, test] :
         {std::tuple{L"enabled", L"enabled", std::function<bool(HWND)>(enabled)},
          std::tuple{L"visible", L"visible", std::function<bool(HWND)>(visible)},
          std::tuple{L"checked", L"checked", std::function<bool(HWND)>(checked)}}) {
        FCommands[name] = [=, this](const TArgs& a) {
            Need(a, 2, L"enabled|visible|checked CONTROL");
            print(a[1], test(Control(a[1])) ? what : std::wstring(L"not ") + what);
        };
    }
    FCommands[L"expect-enabled"] = [=](const TArgs& a) {
        state(First(a), L"enabled", true, enabled);
    };
    FCommands[L"expect-disabled"] = [=](const TArgs& a) {
        state(First(a), L"enabled", false, enabled);
    };
    FCommands[L"expect-visible"] = [=](const TArgs& a) {
        state(First(a), L"visible", true, visible);
    };
    FCommands[L"expect-invisible"] = [=](const TArgs& a) {
        state(First(a), L"visible", false, visible);
    };
    FCommands[L"expect-checked"] = [=](const TArgs& a) {
        state(First(a), L"checked", true, checked);
    };
    FCommands[L"expect-unchecked"] = [=](const TArgs& a) {
        state(First(a), L"checked", false, checked);
    };
    FCommands[L"position"] = [=, this](const TArgs& a) {
        Need(a, 2, L"position PROGRESSBAR");
        print(a[1], std::to_wstring(SendMessageW(Control(a[1]), PBM_GETPOS, 0, 0)));
    };
    FCommands[L"expect-position"] = [this](const TArgs& a) {
        Need(a, 3, L"expect-position PROGRESSBAR N");
        Poll(Timeout, [&]() -> std::optional<std::wstring> {
            const std::wstring found =
                std::to_wstring(SendMessageW(Control(a[1]), PBM_GETPOS, 0, 0));
            if (found == a[2])
                return std::nullopt;
            return a[1] + L": expected position " + a[2] + L", found " + found;
        });
    };
    FCommands[L"page"] = [=, this](const TArgs&) { print(L"page", Page()); };
    FCommands[L"expect-page"] = [this](const TArgs& a) {
        Need(a, 2, L"expect-page NAME");
        Poll(Timeout, [&]() -> std::optional<std::wstring> {
            const std::wstring found = Page();
            if (found == a[1])
                return std::nullopt;
            return L"expected page " + a[1] + L", found " + found;
        });
    };
    FCommands[L"expect-buttons"] = [this](const TArgs& a) { ExpectButtons(a); };
    FCommands[L"press"] = [this](const TArgs& a) {
        Need(a, 2, L"press CONTROL");
        HWND button = Control(a[1]);
        if (!IsWindowVisible(button) || !IsWindowEnabled(button))
            throw EFailure(L"cannot press " + a[1] + L": it is " +
                           (IsWindowVisible(button) ? L"disabled" : L"hidden"));
        // Sent without waiting: the click may open a modal message box, which would hold a
        // plain SendMessage until someone answers it.
        SendNotifyMessageW(button, BM_CLICK, 0, 0);
        Sync();
    };
    FCommands[L"select"] = [this](const TArgs& a) {
        Need(a, 2, L"select RADIO");
        Execute({L"press", a[1]});
        Execute({L"expect-checked", a[1]});
    };
    FCommands[L"toggle"] = [this](const TArgs& a) { Toggle(a); };
    FCommands[L"choose"] = [this](const TArgs& a) {
        Need(a, 3, L"choose COMBO INDEX");
        const LRESULT index = _wtoi(a[2].c_str());
        if (SendMessageW(Control(a[1]), CB_SETCURSEL, WPARAM(index), 0) != index)
            throw EFailure(a[1] + L" has no item " + a[2]);
    };
    FCommands[L"lines"] = [this](const TArgs& a) {
        Need(a, 2, L"lines CONTROL");
        for (const std::wstring& line : ControlLines(Control(a[1])))
            Say(L"  |" + line);
    };
    FCommands[L"expect-lines"] = [this](const TArgs& a) { ExpectLines(a); };
    FCommands[L"expect-last-line"] = [this](const TArgs& a) {
        Need(a, 3, L"expect-last-line CONTROL LINE");
        Poll(Timeout, [&]() -> std::optional<std::wstring> {
            const std::vector<std::wstring> lines = ControlLines(Control(a[1]));
            const std::wstring found = lines.empty() ? L"no line" : L"\"" + lines.back() + L"\"";
            if (!lines.empty() && lines.back() == a[2])
                return std::nullopt;
            return a[1] + L": expected last line \"" + a[2] + L"\", found " + found;
        });
    };
    FCommands[L"wait-msgbox"] = [this](const TArgs& a) {
        HWND box = nullptr;
        TMessageBoxInfo info;
        // A box just created may not be painted yet: its icon reads as unknown until it is.
        Poll(TimeoutArg(a, 1), [&]() -> std::optional<std::wstring> {
            box = FindMessageBox(TargetPids());
            if (!box)
                return L"no message box";
            info = ReadMessageBox(box);
            if (info.Icon == L"unknown")
                return L"message box " + Quote(info.Caption) + L" with an icon of unknown kind";
            return std::nullopt;
        });
        std::wstring buttons;
        for (const std::wstring& b : info.Buttons)
            buttons += (buttons.empty() ? L"" : L",") + b;
        Say(L"  msgbox caption=" + Quote(info.Caption) + L" icon=" + info.Icon + L" buttons=" +
            buttons + L" text=" + Quote(info.Text));
    };
    FCommands[L"expect-msgbox"] = [this](const TArgs& a) { ExpectMessageBox(a); };
    FCommands[L"answer-msgbox"] = [this](const TArgs&) { AnswerMessageBox(); };
    FCommands[L"expect-no-msgbox"] = [this](const TArgs&) {
        // A message box is created before its modal loop runs, and the loop lets Sync through:
        // once Sync returns, a box that the last action opened exists.
        Sync();
        if (HWND box = FindMessageBox(TargetPids()))
            throw EFailure(L"expected no message box, found " + Quote(ReadMessageBox(box).Caption) +
                           L": " + Quote(ReadMessageBox(box).Text));
    };
    FCommands[L"close"] = [this](const TArgs&) { PostMessageW(Window(), WM_CLOSE, 0, 0); };
    FCommands[L"wait-exit"] = [this](const TArgs& a) {
        Execute({L"expect-exit", L"*", a.size() > 1 ? a[1] : L""});
    };
    FCommands[L"expect-exit"] = [this](const TArgs& a) { ExpectExit(a, false); };
    FCommands[L"expect-windowless-exit"] = [this](const TArgs& a) { ExpectExit(a, true); };
    FCommands[L"screenshot"] = [this](const TArgs& a) {
        Need(a, 2, L"screenshot FILE.bmp");
        // The window with the message box in front of it, if one is open. Sync lets the program
        // take the messages sent to it, but paints come last: what is still to paint is
        // painted first, as the program's own paints would.
        Sync();
        RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (HWND box = FindMessageBox(TargetPids()))
            RedrawWindow(box, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sync();
        RECT area;
        GetWindowRect(Window(), &area);
        if (HWND box = FindMessageBox(TargetPids())) {
            RECT boxArea;
            GetWindowRect(box, &boxArea);
            UnionRect(&area, &area, &boxArea);
        }
        const std::wstring path = WindowsPath(a[1]);
        if (!SaveScreenArea(area, path))
            throw EFailure(L"cannot write " + path);
        Say(L"  saved " + path);
    };
    FCommands[L"expect-file"] = [this](const TArgs& a) {
        Need(a, 2, L"expect-file PATH [SECONDS]");
        Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
            if (GetFileAttributesW(WindowsPath(a[1]).c_str()) != INVALID_FILE_ATTRIBUTES)
                return std::nullopt;
            return L"no file " + Quote(a[1]);
        });
    };
    // A holder started with spawn opens its file a moment later: a run started before that
    // would find the file free.
    FCommands[L"expect-held"] = [this](const TArgs& a) {
        Need(a, 2, L"expect-held PATH [SECONDS]");
        Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
            const HANDLE file = CreateFileW(WindowsPath(a[1]).c_str(), DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
                return std::nullopt;
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
            return L"nobody holds " + Quote(a[1]);
        });
    };
    FCommands[L"expect-no-file"] = [this](const TArgs& a) {
        Need(a, 2, L"expect-no-file PATH");
        if (GetFileAttributesW(WindowsPath(a[1]).c_str()) != INVALID_FILE_ATTRIBUTES)
            throw EFailure(L"expected no file " + Quote(a[1]) + L", found one");
    };
    FCommands[L"delete-file"] = [this](const TArgs& a) {
        Need(a, 2, L"delete-file PATH");
        if (!DeleteFileW(WindowsPath(a[1]).c_str()))
            throw EFailure(L"cannot delete " + Quote(a[1]));
    };
    FCommands[L"expect-locked"] = [this](const TArgs& a) {
        Need(a, 2, L"expect-locked PATH");
        const std::wstring path = WindowsPath(a[1]);
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            throw EFailure(L"opened " + Quote(a[1]) + L" for writing");
        }
        if (MoveFileW(path.c_str(), (path + L".moved").c_str())) {
            MoveFileW((path + L".moved").c_str(), path.c_str());
            throw EFailure(L"renamed " + Quote(a[1]));
        }
        if (DeleteFileW(path.c_str()))
            throw EFailure(L"deleted " + Quote(a[1]));
    };
    FCommands[L"shortcut"] = [this](const TArgs& a) { Shortcut(a); };
    FCommands[L"dir"] = [this](const TArgs& a) { Dir(a); };
    FCommands[L"kill-pids"] = [this](const TArgs& a) { KillPids(a); };
    FCommands[L"click-color"] = [this](const TArgs& a) { ClickColor(a); };
    FCommands[L"expect-version"] = [this](const TArgs& a) { ExpectVersion(a); };
    FCommands[L"xdotool"] = [this](const TArgs& a) { XdoTool(a); };
    FCommands[L"expect-focus"] = [this](const TArgs& a) { ExpectFocus(a); };
    // expect-bounds CONTROL|window LEFT TOP WIDTH HEIGHT: where a control lies in the window's
    // client area, or ("window") the client area's size with LEFT and TOP 0.
    FCommands[L"expect-bounds"] = [this](const TArgs& a) {
        Need(a, 6, L"expect-bounds CONTROL|window LEFT TOP WIDTH HEIGHT");
        RECT r;
        if (a[1] == L"window") {
            GetClientRect(Window(), &r);
        } else {
            GetWindowRect(Control(a[1]), &r);
            MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
        }
        const std::wstring found = std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                                   std::to_wstring(r.right - r.left) + L" " +
                                   std::to_wstring(r.bottom - r.top);
        const std::wstring expected = a[2] + L" " + a[3] + L" " + a[4] + L" " + a[5];
        if (found != expected)
            throw EFailure(a[1] + L": expected bounds " + expected + L", found " + found);
    };
    FCommands[L"expect-answers"] = [this](const TArgs& a) { ExpectAnswers(a); };
    FCommands[L"echo"] = [](const TArgs&) {};
    FCommands[L"elapsed"] = [this](const TArgs& a) {
        Need(a, 2, L"elapsed LABEL");
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        const double ms =
            1000.0 * double(now.QuadPart - FStarted.QuadPart) / double(frequency.QuadPart);
        Say(L"  " + a[1] + L" = " + std::to_wstring(int(ms + 0.5)) + L" ms");
    };
}

TDriver::~TDriver() {
    for (TProcess& p : FProcesses)
        CloseHandle(p.Handle);
}

bool TDriver::Run(const std::vector<std::wstring>& lines) {
    FLines = &lines;
    bool passed = true;
    const ULONGLONG started = GetTickCount64();
    for (FLine = 0; FLine < lines.size() && passed; ++FLine) {
        const std::wstring& line = lines[FLine];
        const size_t first = line.find_first_not_of(L" \t");
        if (first == std::wstring::npos || line[first] == L'#')
            continue;
        const ULONGLONG elapsed = GetTickCount64() - started;
        wchar_t stamp[32];
        swprintf(stamp, 32, L"%3u.%u ", unsigned(elapsed / 1000), unsigned(elapsed % 1000 / 100));
        Say(stamp + (L"> " + line.substr(first)));
        try {
            Execute(Tokenize(line));
        } catch (const EFailure& e) {
            Say(L"FAILED (line " + std::to_wstring(FLine + 1) + L"): " + e.Message);
            passed = false;
        }
    }
    EndProcesses(!passed && !PidFile.empty());
    if (passed)
        Say(L"PASSED");
    return passed;
}

void TDriver::Say(const std::wstring& line) {
    FTranscript += line + L"\n";
    const std::string text = Narrow(line) + "\n";
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}

void TDriver::Execute(const TArgs& args) {
    if (args.empty())
        return;
    auto command = FCommands.find(args[0]);
    if (command == FCommands.end())
        throw EFailure(L"unknown command " + args[0]);
    command->second(args);
}

void TDriver::Poll(double seconds, const std::function<std::optional<std::wstring>()>& check) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(seconds * 1000);
    for (;;) {
        if (FWindow)
            Sync();
        std::optional<std::wstring> complaint;
        try {
            complaint = check();
        } catch (const EFatal&) {
            throw;
        } catch (const EFailure& e) {
            complaint = e.Message;
        }
        if (!complaint)
            return;
        if (GetTickCount64() >= deadline)
            throw EFailure(*complaint + L" (waited " + std::to_wstring(int(seconds)) + L" s)");
        Sleep(PollMs);
    }
}

double TDriver::TimeoutArg(const TArgs& args, size_t index) const {
    if (index < args.size() && !args[index].empty())
        return _wtof(args[index].c_str());
    return Timeout;
}

void TDriver::ExpectAnswers(const TArgs& a) {
    Need(a, 3, L"expect-answers MAX-MS SECONDS");
    const double limit = std::stod(a[1]);
    const double seconds = TimeoutArg(a, 2);
    LARGE_INTEGER frequency, begin, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    const auto elapsedMs = [&](const LARGE_INTEGER& from) {
        QueryPerformanceCounter(&now);
        return 1000.0 * double(now.QuadPart - from.QuadPart) / double(frequency.QuadPart);
    };
    // Asks the window without pause until Next comes on: each question waits as long as the
    // window's thread is away from its messages.
    double longest = 0;
    int questions = 0;
    const HWND next = Control(L"BtnNext");
    while (!IsWindowEnabled(next)) {
        if (elapsedMs(begin) > seconds * 1000)
            throw EFailure(L"the run did not end within " + a[2] + L" s");
        LARGE_INTEGER asked;
        QueryPerformanceCounter(&asked);
        DWORD_PTR result;
        if (!SendMessageTimeoutW(Window(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result))
            throw EFatal(L"the window gave no reply for a minute");
        longest = std::max(longest, elapsedMs(asked));
        ++questions;
        Sleep(5);
    }
    Say(L"  longest wait for a reply = " + std::to_wstring(int(longest + 0.5)) + L" ms over " +
        std::to_wstring(questions) + L" questions");
    if (longest > limit)
        throw EFailure(L"the window left a question unanswered for " +
                       std::to_wstring(int(longest + 0.5)) + L" ms, more than " + a[1]);
}

void TDriver::Sync() {
    if (!FWindow || !IsWindow(FWindow))
        return;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(FWindow, WM_NULL, 0, 0, SMTO_NORMAL, DWORD(Timeout * 1000), &result) &&
        IsWindow(FWindow))
        throw EFailure(L"the window does not respond (no reply within " +
                       std::to_wstring(int(Timeout)) + L" s)");
}

HWND TDriver::Window() const {
    if (!FWindow || !IsWindow(FWindow))
        throw EFatal(L"no current window (wait-window first; or it has closed)");
    return FWindow;
}

HWND TDriver::Control(const std::wstring& ref) const {
    HWND scope = Window();
    size_t start = 0;
    for (;;) {
        const size_t slash = ref.find(L'/', start);
        const std::wstring part = ref.substr(start, slash - start);
        int id = 0;
        size_t from = 0;
        for (size_t plus; (plus = part.find(L'+', from)) != std::wstring::npos; from = plus + 1)
            id += IdOf(part.substr(from, plus - from));
        id += IdOf(part.substr(from));
        const std::vector<HWND> found = FindControls(scope, id);
        if (found.empty())
            throw EFailure(L"no control " + part + L" (id " + std::to_wstring(id) + L") in " +
                           Quote(WindowText(scope)));
        scope = found.front();
        for (HWND c : found)
            if (IsWindowVisible(c)) {
                scope = c;
                break;
            }
        if (slash == std::wstring::npos)
            return scope;
        start = slash + 1;
    }
}

std::wstring TDriver::Page() const {
    std::vector<HWND> shown;
    for (const TNamedId& page : Pages)
        for (HWND panel : FindControls(Window(), page.Id))
            if (IsWindowVisible(panel))
                shown.push_back(panel);
    HWND front = Topmost(shown);
    if (!front)
        return L"none";
    const int id = GetDlgCtrlID(front);
    if (id == ko::ids::PanelStart) {
        std::vector<HWND> inner;
        for (int part : {int(ko::ids::PanelInstall), int(ko::ids::PanelFinish)})
            for (HWND panel : FindControls(front, part))
                if (IsWindowVisible(panel))
                    inner.push_back(panel);
        HWND content = Topmost(inner);
        if (!content)
            return L"start(neither welcome nor finish content)";
        return GetDlgCtrlID(content) == ko::ids::PanelInstall ? L"welcome" : L"finish";
    }
    for (const TNamedId& page : Pages)
        if (page.Id == id)
            return page.Name;
    return L"none";
}

void TDriver::ExpectExit(const TArgs& a, bool windowless) {
    Need(a, 2, L"expect-exit CODE [SECONDS]");
    TProcess* target = Target();
    if (!target)
        throw EFailure(L"no program was started");
    Poll(TimeoutArg(a, 2), [&]() -> std::optional<std::wstring> {
        if (windowless)
            if (HWND window = FindVisibleTopLevel(TargetPids()))
                throw EFatal(target->Name + L" shows the window " + Quote(WindowText(window)));
        if (WaitForSingleObject(target->Handle, 0) == WAIT_OBJECT_0)
            return std::nullopt;
        return target->Name + L" is still running";
    });
    DWORD code = 0;
    GetExitCodeProcess(target->Handle, &code);
    Say(L"  exit code = " + std::to_wstring(code));
    if (a[1] != L"*" && std::to_wstring(code) != a[1])
        throw EFailure(L"expected exit code " + a[1] + L", found " + std::to_wstring(code));
}

} // namespace e2e
