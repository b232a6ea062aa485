#include "playlist/UserList.h"

#include "support/ChildProcesses.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr const char* kAnn = "Preferences - Ann";
constexpr const char* kBob = "Preferences - Bob";

class UserListTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("zeb.m3u");
};

TEST_F(UserListTest, SectionNames) {
    EXPECT_EQ(UserListSectionName("Preferences"), "Global");
    EXPECT_EQ(UserListSectionName("Preferences - Ann Smith"), "Ann Smith");
    EXPECT_EQ(UserListSectionName("Preferences - "), "");
}

TEST_F(UserListTest, SavedListLoadsBack) {
    std::vector<PlaylistEntry> entries{{"/m/a b.mp3", "A - B (01:02)"},
                                       {"/m/no info.mp3", ""},
                                       {"http://host/x%20y", "Radio (mm:ss)"}};
    ASSERT_TRUE(SaveUserList(path_, "Preferences", entries));
    EXPECT_EQ(ReadFile(path_), "[Global]\n/m/a b.mp3\n#TAG=A - B (01:02)\n/m/no info.mp3\n"
                               "http://host/x%20y\n#TAG=Radio (mm:ss)\n");
    std::vector<std::string> stored;
    auto loaded = LoadUserList(path_, "Preferences", [&](const std::string& p, const std::string&) {
        stored.push_back(p);
    });
    EXPECT_EQ(loaded, entries);
    EXPECT_EQ(stored, (std::vector<std::string>{"/m/a b.mp3", "http://host/x%20y"}));
}

TEST_F(UserListTest, TwoUsersKeepTheirOwnSections) {
    ASSERT_TRUE(SaveUserList(path_, kAnn, {{"/ann/1.mp3", ""}}));
    ASSERT_TRUE(SaveUserList(path_, kBob, {{"/bob/1.mp3", "Bob One (00:10)"}, {"/bob/2.mp3", ""}}));
    ASSERT_TRUE(SaveUserList(path_, kAnn, {{"/ann/2.mp3", ""}, {"/ann/3.mp3", ""}}));
    EXPECT_EQ(ReadFile(path_), "[Bob]\n/bob/1.mp3\n#TAG=Bob One (00:10)\n/bob/2.mp3\n"
                               "[Ann]\n/ann/2.mp3\n/ann/3.mp3\n");
    EXPECT_EQ(LoadUserList(path_, kAnn),
              (std::vector<PlaylistEntry>{{"/ann/2.mp3", ""}, {"/ann/3.mp3", ""}}));
    EXPECT_EQ(LoadUserList(path_, kBob),
              (std::vector<PlaylistEntry>{{"/bob/1.mp3", "Bob One (00:10)"}, {"/bob/2.mp3", ""}}));
    EXPECT_TRUE(LoadUserList(path_, "Preferences - Carol").empty());
}

TEST_F(UserListTest, OtherSectionsAreKeptLineForLine) {
    WriteFile(path_, "stray line before any section\r\n"
                     "[Bob]\r\n"
                     "  /bob/a.mp3  \r\n"
                     "\r\n"
                     "#EXTINF:1,odd\r\n"
                     "[ann]\r\n"
                     "/ann/old.mp3\r\n"
                     "#TAG=Old\r\n"
                     "[Global]\r\n"
                     "\t/g/x.mp3\r\n");
    ASSERT_TRUE(SaveUserList(path_, kAnn, {{"/ann/new.mp3", "New"}}));
    EXPECT_EQ(ReadFile(path_), "stray line before any section\n"
                               "[Bob]\n"
                               "/bob/a.mp3\n"
                               "\n"
                               "#EXTINF:1,odd\n"
                               "[Global]\n"
                               "/g/x.mp3\n"
                               "[Ann]\n"
                               "/ann/new.mp3\n"
                               "#TAG=New\n");
}

TEST_F(UserListTest, LoadingTakesLinesAsTheyAre) {
    WriteFile(path_, "[Other]\n/o.mp3\n"
                     "[ ANN ]\n/not/this/one.mp3\n"
                     "[ann]\n"
                     "#TAG=no entry yet is an entry\n"
                     "relative/kept.mp3\n"
                     "#EXTINF:5,kept too\n"
                     "\n"
                     "ftp://host/a b\n"
                     "#TAG=Stream\n"
                     "[Next]\n/next.mp3\n");
    auto loaded = LoadUserList(path_, kAnn);
    EXPECT_EQ(loaded, (std::vector<PlaylistEntry>{{"#TAG=no entry yet is an entry", ""},
                                                  {"relative/kept.mp3", ""},
                                                  {"#EXTINF:5,kept too", ""},
                                                  {"", ""},
                                                  {"ftp://host/a%20b", "Stream"}}));
    EXPECT_TRUE(LoadUserList(dir_.File("missing.m3u"), kAnn).empty());
}

TEST_F(UserListTest, FailedSaveLeavesTheFileAsItWas) {
    const std::string old = "[Bob]\n/bob/a.mp3\n[Ann]\n/ann/a.mp3\n";
    WriteFile(path_, old);
    std::vector<PlaylistEntry> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back({"/ann/some/long/folder/track" + std::to_string(i) + ".mp3", ""});
    bool saved = true;
    {
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit was{};
        ::getrlimit(RLIMIT_FSIZE, &was);
        rlimit small = was;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        saved = SaveUserList(path_, kAnn, many);
        ::setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, oldHandler);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path_), old);
    EXPECT_FALSE(SaveUserList(dir_.File("no/folder/zeb.m3u"), kAnn, many));
    // A folder in place of the file cannot be read for the other users' lists.
    std::filesystem::create_directory(dir_.File("dir.m3u"));
    EXPECT_FALSE(SaveUserList(dir_.File("dir.m3u"), kAnn, many));
}

// A file name or tag text with line breaks must come back as one entry with
// one info line, and must not plant a section for another user.
TEST_F(UserListTest, LineBreaksCannotSplitEntriesOrPlantSections) {
    ASSERT_TRUE(SaveUserList(path_, kBob, {{"/bob/1.mp3", ""}, {"/bob/2.mp3", ""}}));
    const std::vector<PlaylistEntry> ann{{"/m/evil\n[Bob]\nplanted.mp3", "Evil (00:01)"},
                                         {"/m/100%25 b.mp3", "Good\n/etc/passwd (00:02)"},
                                         {"http://h/a\r\nb", ""}};
    ASSERT_TRUE(SaveUserList(path_, kAnn, ann));
    auto loaded = LoadUserList(path_, kAnn);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[0], ann[0]);
    EXPECT_EQ(loaded[1], (PlaylistEntry{"/m/100%25 b.mp3", "Good /etc/passwd (00:02)"}));
    EXPECT_EQ(loaded[2].path.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(LoadUserList(path_, kBob),
              (std::vector<PlaylistEntry>{{"/bob/1.mp3", ""}, {"/bob/2.mp3", ""}}));
    // Saving again keeps both lists whole.
    ASSERT_TRUE(SaveUserList(path_, kAnn, loaded));
    EXPECT_EQ(LoadUserList(path_, kAnn), loaded);
    EXPECT_EQ(LoadUserList(path_, kBob).size(), 2u);
}

TEST_F(UserListTest, TwoProcessesSavingTogetherKeepEachOthersLists) {
    const bool ok = test::RunInChildProcesses(2, [&](int child) {
        const std::string section = child == 0 ? kAnn : kBob;
        std::vector<PlaylistEntry> entries;
        for (int i = 0; i < 60; ++i) {
            entries.push_back({"/" + std::to_string(child) + "/" + std::to_string(i) + ".mp3", ""});
            if (!SaveUserList(path_, section, entries))
                return false;
        }
        return true;
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(LoadUserList(path_, kAnn).size(), 60u);
    EXPECT_EQ(LoadUserList(path_, kBob).size(), 60u);
}

TEST_F(UserListTest, StartIndexRule) {
    using S = UserListStart;
    EXPECT_EQ(ChooseUserListStart(3, 5, 0, 0), (S{false, 3}));
    EXPECT_EQ(ChooseUserListStart(4, 5, 0, 0), (S{false, 4}));
    EXPECT_EQ(ChooseUserListStart(5, 5, 0, 0), (S{false, 0}));
    EXPECT_EQ(ChooseUserListStart(-1, 5, 0, 0), (S{false, 0}));
    EXPECT_EQ(ChooseUserListStart(0, 0, 0, 0), (S{false, 0}));
    EXPECT_EQ(ChooseUserListStart(3, 5, 1, 0).random, true);
    EXPECT_EQ(ChooseUserListStart(3, 5, 0, 1).random, true);
    // Flags count only when exactly 1.
    EXPECT_EQ(ChooseUserListStart(3, 5, 2, -1), (S{false, 3}));
}

} // namespace
} // namespace zeb
