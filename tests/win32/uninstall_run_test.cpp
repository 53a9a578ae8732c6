// The uninstall run on what a real install run left: files, folders and the registry key.
#include "engine_fixture.h"

#include "base/codepage.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/system_codec.h"
#include "engine/uninstall_registry.h"
#include "engine/uninstall_run.h"

#include <algorithm>

using namespace ko;
using namespace kotest;

namespace {

class UninstallRun : public TEngineTest {
protected:
    void Uninstall(TKoUninstallRun& run) {
        run.OnProgress = [this](TKoRun&, const std::string& text, int percent) {
            Lines.push_back(text);
            Percents.push_back(percent);
        };
        run.Execute();
    }

    void CreateKey(const std::string& path) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // Builds and installs the package into a terminal folder named Terminal in the work folder,
    // as the stub does (texts decoded first), checks that every name arrived whole and that the
    // uninstall log holds them, then uninstalls. Names are UTF-8: the product's, that of its file
    // in "{metatrader}\\experts" and of its shortcut in the menu.
    void InstallAndUninstallNamed(const std::string& name, const std::string& terminal,
                                  const std::string& expert, const std::string& shortcut) {
        const std::string folder = Work + terminal;
        ForceDirectories(folder);
        Build();
        Data.DecodeTexts(SystemCodec());
        Run.TerminalFolders = {folder};
        Run.Execute();
        ASSERT_EQ(Lines.back(), "Done.");
        const std::string app = GetSystemFolder(sfProgramFiles, false) + "\\" + name;
        const std::string menu = GetSystemFolder(sfCommonPrograms, false) + "\\" + name;
        EXPECT_EQ(App(), app);
        EXPECT_TRUE(FileExists(folder + "\\experts\\" + expert));
        EXPECT_TRUE(FileExists(menu + "\\" + shortcut + ".lnk"));
        EXPECT_EQ(DisplayName(name), name);

        {
            TKoUninstall log;
            LoadData(log, app + "\\Uninstall.exe");
            EXPECT_EQ(log.ProductName, name);
            EXPECT_EQ(log.FolderList, (std::vector<std::string>{app, menu}));
            EXPECT_EQ(log.FileList.front(), folder + "\\experts\\" + expert);
            Lines.clear();
            TKoUninstallRun run(log);
            Uninstall(run);
            EXPECT_EQ(Lines.back(), "Done.");
            EXPECT_FALSE(FileExists(folder + "\\experts\\" + expert));
        }
        // The running uninstaller removes itself and its folder on its own; the log is closed.
        EXPECT_EQ(ListFolder(app).size(), 1u);
        EXPECT_TRUE(DeleteFilePath(app + "\\Uninstall.exe") && RemoveFolder(app));
        EXPECT_FALSE(DirectoryExists(menu));
        EXPECT_EQ(DisplayName(name), "");
    }

    // The product's entry's "DisplayName", "" when there is none (wide: names in any script).
    static std::string DisplayName(const std::string& keyName) {
        wchar_t shown[256] = {};
        DWORD size = sizeof shown - sizeof shown[0];
        RegGetValueW(HKEY_LOCAL_MACHINE, Wide(UninstallKeyPath(keyName)).c_str(), L"DisplayName",
                     RRF_RT_REG_SZ, nullptr, shown, &size);
        return Utf8(shown);
    }
};

} // namespace

// A package in a double-byte code page installs under its Chinese name on any system; the
// second byte of "砛" is that of "\\", which must not split the folder.
TEST_F(UninstallRun, DoubleByteNamesInstallAndUninstallWhole) {
    const std::string name = Content.ProductName + " 中文 砛";
    Content.CodePage = 936;
    Content.ProductName = Utf8ToCodePage(name, 936).Bytes;
    AddFile(Utf8ToCodePage("{metatrader}\\experts\\指标.ex4", 936).Bytes, Pattern(20, 1));
    AddFile(Utf8ToCodePage("{app}\\说明.txt", 936).Bytes, Pattern(20, 2)).ShortcutName =
        Utf8ToCodePage("说明", 936).Bytes;
    InstallAndUninstallNamed(name, "终端 中文", "指标.ex4", "说明");
    Content.ProductName = name;
}

// A package without a code page of its own has its texts in the system's; a terminal folder
// that code page cannot hold still reaches the uninstall log whole (in UTF-8), and the
// uninstaller finds it.
TEST_F(UninstallRun, NamesTheSystemCodePageCannotHoldReachTheLog) {
    const std::string terminal = "Терминал ก 中文 ł";
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "every name fits the system's code page";
    ASSERT_FALSE(SystemCodec().Encode(terminal, 0));
    AddFile("{metatrader}\\experts\\a.ex4", Pattern(20, 1));
    AddFile("{app}\\b.txt", Pattern(20, 2)).ShortcutName = "B";
    InstallAndUninstallNamed(Content.ProductName, terminal, "a.ex4", "B");
}

TEST_F(UninstallRun, DeletesWhatTheInstallLoggedAndKeepsWhatItCannot) {
    const std::string terminal = Work + "Terminal";
    CreateDirectoryA(terminal.c_str(), nullptr);
    AddFile("{metatrader}\\experts\\a.ex4", Pattern(20, 1));
    AddFile("{app}\\b.txt", Pattern(20, 2)).ShortcutName = "B";
    AddFile("{app}\\gone.txt", Pattern(20, 3));
    AddFile("{app}\\locked.txt", Pattern(20, 4));
    Content.ReadmeText = "readme";
    Build();
    Run.TerminalFolders = {terminal};
    Run.Execute();
    const std::string app = App(), menu = Menu();
    const std::string key = UninstallKeyPath(Content.ProductName);
    WriteBytes(app + "\\user.txt", Bytes{1});
    DeleteFileA((app + "\\gone.txt").c_str());
    SetFileAttributesA((app + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateKey(key + "\\Extra\\Deeper");
    CreateKey(key + "\\Other");

    TKoUninstall data;
    data.LoadFromFile(app + "\\Uninstall.exe");
    ASSERT_EQ(data.FileList.size(), 8u);
    Lines.clear();
    Percents.clear();
    TKoUninstallRun run(data);
    Uninstall(run);

    std::vector<std::string> expected;
    for (const std::string& file : data.FileList) {
        expected.push_back("Delete file " + file + " ...");
        // A file the user deleted already counts as removed.
        if (file == app + "\\locked.txt")
            expected.push_back("WARNING: Unable to delete file " + file + " ...");
    }
    for (const std::string& folder : {app, menu})
        expected.push_back("Remove folder " + folder + " ...");
    expected.push_back("Unregistering uninstaller ...");
    expected.push_back("Done.");
    EXPECT_EQ(Lines, expected);
    EXPECT_EQ(run.Max, 8 + 2 + 1);
    EXPECT_EQ(run.Position, run.Max + 1);

    EXPECT_FALSE(Exists(terminal + "\\experts\\a.ex4"));
    EXPECT_TRUE(Exists(terminal + "\\experts")) << "terminal-side folders are not logged";
    EXPECT_FALSE(Exists(app + "\\b.txt"));
    EXPECT_FALSE(Exists(app + "\\Readme.rtf"));
    EXPECT_TRUE(Exists(app + "\\locked.txt"));
    EXPECT_TRUE(Exists(app + "\\user.txt"));
    EXPECT_TRUE(Exists(app + "\\Uninstall.exe"));
    EXPECT_FALSE(Exists(menu)) << "every shortcut went, so the menu folder did";
    EXPECT_FALSE(RegistryKeyExists(key)) << "subkeys and all";
}

TEST_F(UninstallRun, EmptyLogAndNamelessProduct) {
    const std::string key = UninstallKeyPath(Content.ProductName);
    RegisterUninstaller({Content.ProductName, Work + "Uninstall.exe"});
    TKoUninstall empty;
    empty.ProductName = Content.ProductName;
    TKoUninstallRun emptyRun(empty);
    Uninstall(emptyRun);
    EXPECT_EQ(Lines, (std::vector<std::string>{"Unregistering uninstaller ...", "Done."}));
    EXPECT_EQ(Percents, (std::vector<int>{100, 200}));
    EXPECT_FALSE(RegistryKeyExists(key));

    // A log without a name names no entry and says so; backslashes alone name the entry "_"
    // that such a product was installed under. Neither reaches the parent of every program's entry.
    RegisterUninstaller({Content.ProductName, Work + "Uninstall.exe"});
    for (const std::string name : {"", "\\", "\\\\"}) {
        Lines.clear();
        TKoUninstall nameless;
        nameless.ProductName = name;
        TKoUninstallRun namelessRun(nameless);
        Uninstall(namelessRun);
        ASSERT_EQ(Lines.size(), name.empty() ? 3u : 2u);
        EXPECT_EQ(Lines[0], "Unregistering uninstaller ...");
        if (name.empty())
            EXPECT_EQ(Lines[1].rfind("WARNING: ", 0), 0u) << Lines[1];
        EXPECT_EQ(Lines.back(), "Done.");
        EXPECT_TRUE(RegistryKeyExists(key)) << "'" << name << "'";
    }
}

// The entry is written all or none: a value the registry refuses (a name longer than it takes)
// gives the values written before it their old data back, removes those that were new, and
// removes a key made for the write.
TEST_F(UninstallRun, TheRegistryEntryIsWrittenAllOrNone) {
    const std::string key = UninstallKeyPath(Content.ProductName);
    const auto text = [](const char* name, const std::wstring& value) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(value.c_str());
        return TRegistryValue{name, REG_SZ,
                              std::vector<uint8_t>(bytes, bytes + (value.size() + 1) * 2)};
    };
    const std::string refusedName(20000, 'n');
    const std::vector<TRegistryValue> update = {text("DisplayVersion", L"2.0"),
                                                text("Publisher", L"New Vendor"),
                                                text(refusedName.c_str(), L"x")};
    EXPECT_THROW(WriteRegistryValues(key, update), EKoError);
    EXPECT_FALSE(RegistryKeyExists(key));

    WriteRegistryValues(key, {text("DisplayVersion", L"1.0")});
    EXPECT_THROW(WriteRegistryValues(key, update), EKoError);
    HKEY handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
    char version[16] = {};
    DWORD size = sizeof version;
    EXPECT_EQ(RegQueryValueExA(handle, "DisplayVersion", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(version), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(version, "1.0");
    EXPECT_EQ(RegQueryValueExA(handle, "Publisher", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(handle);
}

namespace {

const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// The paths waiting for the next restart ("\??\" and the path, each followed by its new name,
// empty for a deletion), as wide strings.
std::vector<std::wstring> PendingRenames() {
    std::vector<wchar_t> buffer(1 << 16);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                     L"PendingFileRenameOperations", RRF_RT_ANY, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    std::vector<std::wstring> entries;
    const wchar_t* at = buffer.data();
    const wchar_t* end = buffer.data() + size / sizeof(wchar_t);
    while (at < end) {
        const std::wstring entry(at);
        entries.push_back(entry);
        at += entry.size() + 1;
    }
    while (!entries.empty() && entries.back().empty())
        entries.pop_back();
    return entries;
}

// Takes the pairs whose source holds Marker out of the list again.
void ForgetPendingRenames(const std::wstring& marker) {
    const std::vector<std::wstring> entries = PendingRenames();
    std::wstring kept;
    for (size_t i = 0; i < entries.size(); i += 2) {
        if (entries[i].find(marker) != std::wstring::npos)
            continue;
        kept += entries[i] + L'\0';
        kept += (i + 1 < entries.size() ? entries[i + 1] : L"") + L'\0';
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (kept.empty()) {
        RegDeleteValueW(key, L"PendingFileRenameOperations");
    } else {
        kept += L'\0';
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(kept.data()),
                       static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

} // namespace

// A file a running program holds keeps its warning and goes at the next restart, then its
// folder; the run counts the warning. A file the user made read-only stays where it is. What a
// killed install left beside the files goes at once.
TEST_F(UninstallRun, FilesInUseGoAtTheNextRestart) {
    AddFile("{app}\\held.dll", Pattern(20, 1));
    AddFile("{app}\\kept.txt", Pattern(20, 2));
    AddFile("{app}\\free.txt", Pattern(20, 3));
    Build();
    Run.TerminalFolders = {Work + "Terminal"};
    Run.Execute();
    const std::string app = App(), held = app + "\\held.dll", kept = app + "\\kept.txt";
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(app + "\\free.txt.~ko-new", Bytes{1});
    // A leftover another program holds stays, and is named.
    const std::string heldLeftover = app + "\\free.txt.~ko-old";
    WriteBytes(heldLeftover, Bytes{1});
    const HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const HANDLE leftoverHandle = CreateFileA(heldLeftover.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(leftoverHandle, INVALID_HANDLE_VALUE);
    TKoUninstall data;
    data.LoadFromFile(app + "\\Uninstall.exe");
    Lines.clear();
    TKoUninstallRun run(data);
    Uninstall(run);
    CloseHandle(handle);
    CloseHandle(leftoverHandle);
    const std::wstring marker(Content.ProductName.begin(), Content.ProductName.end());
    const std::vector<std::wstring> pending = PendingRenames();
    ForgetPendingRenames(marker);

    const auto at = [this](const std::string& line) {
        return std::find(Lines.begin(), Lines.end(), line) - Lines.begin();
    };
    const auto heldWarning = at("WARNING: Unable to delete file " + held + " ...");
    const auto heldLater = at("File " + held + " will be removed at the next restart ...");
    const auto folderLater = at("Folder " + app + " will be removed at the next restart ...");
    EXPECT_LT(heldWarning, heldLater);
    EXPECT_LT(heldLater, folderLater);
    EXPECT_LT(folderLater, static_cast<long>(Lines.size()));
    EXPECT_EQ(at("File " + kept + " will be removed at the next restart ..."),
              static_cast<long>(Lines.size()));
    EXPECT_LT(at("WARNING: Unable to delete file " + heldLeftover + " ..."),
              static_cast<long>(Lines.size()));
    EXPECT_EQ(run.Warnings, 3);
    EXPECT_EQ(Lines.back(), "Done.");

    std::vector<std::wstring> ours;
    for (size_t i = 0; i < pending.size(); i += 2)
        if (pending[i].find(marker) != std::wstring::npos)
            ours.push_back(pending[i]);
    const std::wstring wideApp(app.begin(), app.end());
    EXPECT_EQ(ours, (std::vector<std::wstring>{L"\\??\\" + wideApp + L"\\held.dll",
                                               L"\\??\\" + wideApp}));
    EXPECT_FALSE(Exists(app + "\\free.txt"));
    EXPECT_FALSE(Exists(app + "\\free.txt.~ko-new"));
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// In another user's profile a held file is not left to the restart, which would resolve its
// name through whatever that user has linked by then: it stays, with a warning, and so does its
// folder.
TEST_F(UninstallRun, NothingInAnotherProfileWaitsForTheRestart) {
    const std::string profile = Work + "Other User";
    const std::string listKey =
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1991";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, listKey.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ProfileImagePath", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(profile.c_str()),
                   static_cast<DWORD>(profile.size() + 1));
    RegCloseKey(key);
    const std::string terminal = profile + "\\MT4";
    CreateDirectoryA(profile.c_str(), nullptr);
    CreateDirectoryA(terminal.c_str(), nullptr);
    AddFile("{metatrader}\\MQL4\\Experts\\held.ex4", Pattern(20, 1));
    Build();
    Run.TerminalFolders = {terminal};
    Run.Execute();
    const std::string held = terminal + "\\MQL4\\Experts\\held.ex4";
    const HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    TKoUninstall data;
    data.LoadFromFile(App() + "\\Uninstall.exe");
    Lines.clear();
    TKoUninstallRun run(data);
    Uninstall(run);
    CloseHandle(handle);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, listKey.c_str(), KEY_WOW64_64KEY, 0);
    const std::wstring marker = L"Other User";
    const std::vector<std::wstring> pending = PendingRenames();
    ForgetPendingRenames(marker);

    for (const std::wstring& entry : pending)
        EXPECT_EQ(entry.find(marker), std::wstring::npos);
    EXPECT_NE(std::find_if(Lines.begin(), Lines.end(),
                           [&held](const std::string& line) {
                               return line.rfind("WARNING: " + held, 0) == 0;
                           }),
              Lines.end());
    EXPECT_TRUE(Exists(held));
}
