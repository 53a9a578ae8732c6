#include "package/terminal_platform.h"

#include "package/ko_data.h"

#include <gtest/gtest.h>

using namespace ko;

TEST(TerminalPlatform, TheFirstFolderBelowTheTerminalDecides) {
    EXPECT_EQ(TargetPlatforms("{metatrader}\\MQL4\\Experts\\Probe.ex4"), ForMT4);
    EXPECT_EQ(TargetPlatforms("{MetaTrader}/mql5/Libraries/probe.dll"), ForMT5);
    EXPECT_EQ(TargetPlatforms("{metatrader}\\\\MQL5"), ForMT5);
    // A folder that only starts like an add-on folder, or one deeper down, is for both.
    EXPECT_EQ(TargetPlatforms("{metatrader}\\MQL45\\x.txt"), ForBoth);
    EXPECT_EQ(TargetPlatforms("{metatrader}\\templates\\MQL5\\x.tpl"), ForBoth);
    EXPECT_EQ(TargetPlatforms("{metatrader}\\Probe.set"), ForBoth);
    EXPECT_EQ(TargetPlatforms("{app}\\MQL4\\Readme.txt"), NoPlatform);
}

// A package is for MT5 only through an MQL5 add-on; without one it stays the MT4 package it was
// before MT5 was known, whatever else it holds. An uninstall log says the same by its paths.
TEST(TerminalPlatform, PackagesAndLogsServeThePlatformsOfTheirAddOns) {
    const auto package = [](std::vector<std::string> targets) {
        TKoInstall install;
        for (std::string& target : targets)
            install.AddFile().Path = std::move(target);
        return PackagePlatforms(install);
    };
    EXPECT_EQ(package({}), ForMT4);
    EXPECT_EQ(package({"{app}\\Manual.pdf", "{metatrader}\\Presets\\a.set"}), ForMT4);
    EXPECT_EQ(package({"{metatrader}\\MQL4\\Experts\\a.ex4", "{metatrader}\\Presets\\a.set"}),
              ForMT4);
    EXPECT_EQ(package({"{metatrader}\\MQL5\\Experts\\a.ex5", "{metatrader}\\Presets\\a.set"}),
              ForMT5);
    EXPECT_EQ(package({"{metatrader}\\MQL5\\Experts\\a.ex5", "{metatrader}\\mql4\\a.ex4"}),
              ForBoth);

    const auto logged = [](std::vector<std::string> files) {
        TKoUninstall uninstall;
        uninstall.FileList = std::move(files);
        return LoggedPlatforms(uninstall);
    };
    EXPECT_EQ(logged({}), ForMT4);
    EXPECT_EQ(logged({"C:\\Program Files\\Acme\\Manual.pdf", "C:\\MT\\MQL5"}), ForMT4);
    EXPECT_EQ(logged({"C:\\Program Files\\MT5\\mql5\\Experts\\a.ex5"}), ForMT5);
    EXPECT_EQ(logged({"C:\\MT5\\MQL5\\a.ex5", "D:\\Data\\MQL4\\Experts\\a.ex4"}), ForBoth);
}
