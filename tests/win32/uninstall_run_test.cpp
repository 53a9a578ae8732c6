// The uninstall run on what a real install run left: files, folders and the registry key.
#include "engine_fixture.h"

#include "engine/uninstall_run.h"

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
};

} // namespace

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
        if (file == app + "\\gone.txt" || file == app + "\\locked.txt")
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
