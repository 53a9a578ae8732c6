// Which terminals an install offers, and which of them it takes unless told: a terminal known
// through the current user's data folder stays preselected when another profile names it too;
// one that only another profile names is offered, not preselected.
#include "engine/file_utils.h"
#include "engine/terminal_discovery.h"
#include "engine_fixture.h"

#include <gtest/gtest.h>

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
