// Which terminals an install offers, and which of them it takes unless told: a terminal known
// through the current user's data folder stays preselected when another profile names it too;
// one that only another profile names is offered, not preselected.
#include "engine/file_utils.h"
#include "engine/terminal_discovery.h"
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ko;
using namespace kotest;

namespace {

// Writes Text into a new file at Path, making its folders first.
void WriteTextFile(const std::string& path, const std::string& text) {
    ForceDirectories(ExtractFilePath(path));
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

} // namespace

TEST(TerminalDiscovery, OtherProfilesAloneDoNotPreselect) {
    const std::string root = TempFolder() + UniqueName("kosetup-offer");
    const std::string own = root + "\\Own\\MetaQuotes\\Terminal\\";
    const std::string other = root + "\\Other\\AppData\\Roaming\\MetaQuotes\\Terminal\\";
    WriteTextFile(root + "\\PF\\Broker\\terminal.exe", "");
    WriteTextFile(root + "\\Shared\\terminal.exe", "");
    WriteTextFile(root + "\\Theirs\\terminal.exe", "");
    WriteTextFile(own + "A\\origin.txt", root + "\\Shared");
    WriteTextFile(other + "B\\origin.txt", root + "\\shared\\");
    WriteTextFile(other + "C\\origin.txt", root + "\\Theirs");

    const TTerminalOffer offer =
        OfferTerminals({{root + "\\PF"}, {root + "\\Own"}, {root + "\\Other"}});
    std::vector<std::pair<std::string, bool>> terminals;
    for (const TTerminal& terminal : offer.Terminals)
        terminals.emplace_back(terminal.Folder, terminal.Preselected());
    EXPECT_EQ(terminals, (std::vector<std::pair<std::string, bool>>{{root + "\\PF\\Broker", true},
                                                                    {root + "\\Shared", true},
                                                                    {root + "\\Theirs", false}}));
    EXPECT_FALSE(offer.Default);
    EXPECT_EQ(offer.DataFolders.size(), 3u);
    RemoveTree(root);
}

// MT5 terminals (terminal64.exe, with or without an older terminal.exe beside it) are found in
// either Program Files and through data folders, and offered only to a package with MT5 add-ons;
// the folder a trader names takes its platform from what it holds.
TEST(TerminalDiscovery, PlatformsOfTerminalsAndTheirOffer) {
    const std::string root = TempFolder() + UniqueName("kosetup-platforms");
    const std::string own = root + "\\Own\\MetaQuotes\\Terminal\\";
    WriteTextFile(root + "\\PF\\Four\\terminal.exe", "");
    WriteTextFile(root + "\\PF64\\Five\\terminal64.exe", "");
    WriteTextFile(root + "\\PF64\\Old Five\\terminal.exe", "");
    WriteTextFile(root + "\\PF64\\Old Five\\terminal64.exe", "");
    WriteTextFile(root + "\\Portable\\terminal64.exe", "");
    WriteTextFile(own + "A\\origin.txt", root + "\\Portable");
    WriteTextFile(own + "B\\origin.txt", root + "\\PF\\Four");
    const TTerminalPlaces places = {{root + "\\PF", root + "\\PF64"}, {root + "\\Own"}, {}};

    const auto offered = [&](TPlatforms platforms) {
        const TTerminalOffer offer = OfferTerminals(places, platforms);
        std::vector<std::pair<std::string, TPlatform>> terminals;
        for (const TTerminal& terminal : offer.Terminals)
            terminals.emplace_back(terminal.Folder.substr(root.size()), terminal.Platform);
        std::vector<std::string> dataFolders;
        for (const TDataFolder& dataFolder : offer.DataFolders)
            dataFolders.push_back(dataFolder.Folder.substr(own.size()));
        // Each list in the order the file system gives, which the test does not fix.
        std::sort(terminals.begin(), terminals.end());
        std::sort(dataFolders.begin(), dataFolders.end());
        return std::make_pair(terminals, dataFolders);
    };
    using TFound =
        std::pair<std::vector<std::pair<std::string, TPlatform>>, std::vector<std::string>>;
    EXPECT_EQ(offered(ForMT4), (TFound{{{"\\PF\\Four", TPlatform::MT4}}, {"B"}}));
    EXPECT_EQ(offered(ForMT5), (TFound{{{"\\PF64\\Five", TPlatform::MT5},
                                        {"\\PF64\\Old Five", TPlatform::MT5},
                                        {"\\Portable", TPlatform::MT5}},
                                       {"A"}}));
    EXPECT_EQ(offered(ForBoth).first.size(), 4u);
    EXPECT_EQ(TerminalProgram(root + "\\PF64\\Old Five"),
              root + "\\PF64\\Old Five\\terminal64.exe");
    EXPECT_EQ(TerminalProgram(root + "\\PF\\Four"), root + "\\PF\\Four\\terminal.exe");

    // Nothing found: the default of the package's platform, where that platform installs.
    const TTerminalOffer none =
        OfferTerminals({{root + "\\Empty", root + "\\Empty64"}, {}, {}}, ForMT5);
    ASSERT_EQ(none.Terminals.size(), 1u);
    EXPECT_EQ(none.Terminals[0].Folder, root + "\\Empty64\\MetaTrader 5");
    EXPECT_EQ(none.Terminals[0].Platform, TPlatform::MT5);
    EXPECT_TRUE(none.Default);

    // Named folders without a terminal program.
    ForceDirectories(root + "\\Named5\\MQL5");
    ForceDirectories(root + "\\Named4\\MQL4");
    ForceDirectories(root + "\\NamedBoth\\MQL4");
    ForceDirectories(root + "\\NamedBoth\\MQL5");
    EXPECT_EQ(ChosenPlatform(root + "\\Named5", ForMT4), TPlatform::MT5);
    EXPECT_EQ(ChosenPlatform(root + "\\Named4", ForMT5), TPlatform::MT4);
    EXPECT_EQ(ChosenPlatform(root + "\\NamedBoth", ForMT5), TPlatform::MT4);
    EXPECT_EQ(ChosenPlatform(root + "\\New", ForMT5), TPlatform::MT5);
    EXPECT_EQ(ChosenPlatform(root + "\\New", ForBoth), TPlatform::MT4);
    EXPECT_EQ(ChosenPlatform(root + "\\PF64\\Five", ForMT4), TPlatform::MT5);
    RemoveTree(root);
}
