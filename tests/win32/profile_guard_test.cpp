// Writes into another user's profile while that user tries to steer them: a name taken in
// advance by a link to a system file, a folder renamed away in the middle of the run, a settings
// file with a second name elsewhere.
#include "engine_fixture.h"

#include "base/errors.h"
#include "engine/temp_names.h"
#include "engine/transaction.h"

using namespace ko;
using namespace kotest;

TEST(ProfileGuard, WritesThereFollowNoLinkAndTheirFoldersStayPut) {
    const std::string work = TempFolder() + UniqueName("KoGuard Test");
    const std::string profile = work + "\\Other User";
    const std::string experts = profile + "\\MT4\\MQL4\\Experts";
    const std::string victim = work + "\\system.dll";
    for (const std::string& folder : {work, profile, profile + "\\MT4", profile + "\\MT4\\MQL4"})
        CreateDirectoryA(folder.c_str(), nullptr);
    WriteBytes(victim, Bytes{'s', 'y', 's'});
    {
        TFileTransaction transaction({profile});
        transaction.EnsureFolder(experts);
        // The other user names the temporary file a write would use before it does.
        const std::string target = experts + "\\Expert.ex4";
        ASSERT_TRUE(CreateHardLinkA((target + TempSuffix).c_str(), victim.c_str(), nullptr));
        transaction.WriteStream(target, [](TFileStream& output) { output.WriteBuffer("new", 3); });
        EXPECT_EQ(ReadText(victim), "sys");
        EXPECT_EQ(ReadText(target), "new");

        // While the run lasts, no folder on the way can be renamed to put a link in its place.
        EXPECT_FALSE(MoveFileA((profile + "\\MT4\\MQL4").c_str(), (work + "\\away").c_str()));
        EXPECT_FALSE(MoveFileA(experts.c_str(), (work + "\\away").c_str()));

        // A settings file with a second name is read from neither.
        const std::string settings = experts + "\\experts.ini";
        ASSERT_TRUE(CreateHardLinkA(settings.c_str(), victim.c_str(), nullptr));
        EXPECT_THROW(transaction.Guard().OpenRead(settings), EFOpenError);
        DeleteFileA(settings.c_str());
        transaction.Commit();
    }
    // The run over, the user's folders are theirs again.
    EXPECT_TRUE(MoveFileA(experts.c_str(), (work + "\\away").c_str()));
    RemoveTree(work);
}

// Whether a folder lies in another user's profile is decided by where it leads, not by its
// text: the profile reached under another spelling (its short name, a drive of its own) is
// guarded, and a folder outside it is not, however its name begins. A folder reached so has no
// held way down to it: it is left alone.
TEST(ProfileGuard, AProfileUnderAnotherSpellingIsStillGuarded) {
    const std::string work = TempFolder() + UniqueName("KoGuard Final");
    const std::string profile = work + "\\Other Trading User";
    const std::string outside = work + "\\Other Trading User Two";
    for (const std::string& folder : {work, profile, profile + "\\MT4", outside})
        CreateDirectoryA(folder.c_str(), nullptr);
    char shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(profile.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortName), profile) << "no short name to test with";
    ASSERT_TRUE(DefineDosDeviceA(0, "Q:", profile.c_str()));
    {
        TProfileGuard guard({profile});
        for (const std::string& spelling :
             {std::string(shortName) + "\\MT4", std::string("Q:\\MT4"), std::string("Q:\\New")}) {
            SCOPED_TRACE(spelling);
            EXPECT_TRUE(guard.Guards(spelling));
            EXPECT_FALSE(guard.Check(spelling + "\\Expert.ex4").empty());
        }
        EXPECT_TRUE(guard.Guards(profile + "\\MT4"));
        EXPECT_EQ(guard.Check(profile + "\\MT4\\Expert.ex4"), "");
        EXPECT_FALSE(guard.Guards(outside + "\\MT4"));
        EXPECT_FALSE(guard.Guards(work));
    }
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
    RemoveTree(work);
}
