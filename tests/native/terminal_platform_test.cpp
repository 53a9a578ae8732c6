#include "package/terminal_platform.h"

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
