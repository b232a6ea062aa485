#include "platform/IniFile.h"

#include "support/ChildProcesses.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class IniFileTest : public ::testing::Test {
protected:
    std::string Make(const std::string& content) {
        WriteFile(path_, content);
        return path_;
    }
    TempDir dir_;
    std::string path_ = dir_.File("zeb.ini");
};

// ------------------------------------------------------------------ reading

TEST_F(IniFileTest, SectionAndKeyNamesIgnoreLetterCase) {
    IniFile ini(Make("[Preferences - Ann]\nShuffleMode=1\n"));
    EXPECT_EQ(ini.GetInt("preferences - ANN", "shufflemode", 0), 1);
    EXPECT_EQ(ini.GetInt("PREFERENCES - ann", "SHUFFLEMODE", 0), 1);
}

TEST_F(IniFileTest, FirstMatchingSectionAndKeyWin) {
    IniFile ini(Make("[A]\nk=1\nK=2\n[a]\nk=3\nother=4\n"));
    EXPECT_EQ(ini.GetInt("A", "k", 0), 1);
    // A key only present in the second copy of a section is not found.
    EXPECT_EQ(ini.GetInt("A", "other", -7), -7);
}

TEST_F(IniFileTest, IntegersTakeSignAndLeadingDigits) {
    IniFile ini(Make("[S]\na=12abc\nb=-40\nc=+7\nd=abc\ne=\nf=  33  \ng=-\nh=99999999999\n"
                     "i=-99999999999\nj=0x10\n"));
    EXPECT_EQ(ini.GetInt("S", "a", 5), 12);
    EXPECT_EQ(ini.GetInt("S", "b", 5), -40);
    EXPECT_EQ(ini.GetInt("S", "c", 5), 7);
    EXPECT_EQ(ini.GetInt("S", "d", 5), 5);
    EXPECT_EQ(ini.GetInt("S", "e", 5), 5);
    EXPECT_EQ(ini.GetInt("S", "f", 5), 33);
    EXPECT_EQ(ini.GetInt("S", "g", 5), 5);
    EXPECT_EQ(ini.GetInt("S", "h", 5), INT32_MAX);
    EXPECT_EQ(ini.GetInt("S", "i", 5), INT32_MIN);
    EXPECT_EQ(ini.GetInt("S", "j", 5), 0);
    EXPECT_EQ(ini.GetInt("S", "missing", -1000), -1000);
    EXPECT_EQ(ini.GetInt("Nowhere", "a", 8), 8);
}

TEST_F(IniFileTest, StringsAreTrimmedKeepEqualsSignsAndLoseEnclosingQuotes) {
    IniFile ini(Make("[S]\n  Key1  =  a=b=c  \nk2=\"  padded  \"\nk3='single'\nk4=\"mixed'\n"
                     "k5=\"\nk6=say \"hi\"\nk7=\n"));
    EXPECT_EQ(ini.GetString("S", "key1", "x"), "a=b=c");
    EXPECT_EQ(ini.GetString("S", "k2", "x"), "  padded  ");
    EXPECT_EQ(ini.GetString("S", "k3", "x"), "single");
    EXPECT_EQ(ini.GetString("S", "k4", "x"), "\"mixed'");
    EXPECT_EQ(ini.GetString("S", "k5", "x"), "\"");
    EXPECT_EQ(ini.GetString("S", "k6", "x"), "say \"hi\"");
    EXPECT_EQ(ini.GetString("S", "k7", "x"), "");
    EXPECT_EQ(ini.GetString("S", "missing", "dflt"), "dflt");
}

TEST_F(IniFileTest, ReadsCrLfAndLfFilesAlike) {
    IniFile crlf(Make("[S]\r\nA=one\r\nB=2\r\n"));
    EXPECT_EQ(crlf.GetString("S", "A", ""), "one");
    EXPECT_EQ(crlf.GetInt("S", "B", 0), 2);
    IniFile lf(Make("[S]\nA=one\nB=2"));
    EXPECT_EQ(lf.GetString("S", "A", ""), "one");
    EXPECT_EQ(lf.GetInt("S", "B", 0), 2);
}

TEST_F(IniFileTest, CommentsStrayLinesAndKeysBeforeAnySectionAreNotKeys) {
    IniFile ini(Make("orphan=1\n[S]\n;A=commented\n#B=too\nnot a key\n  [  T  ]  \nC=3\n"));
    EXPECT_EQ(ini.GetInt("S", "A", -1), -1);
    EXPECT_EQ(ini.GetInt("S", "B", -1), -1);
    EXPECT_EQ(ini.GetInt("S", "orphan", -1), -1);
    EXPECT_EQ(ini.GetInt("T", "C", -1), 3);
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"S", "T"}));
}

TEST_F(IniFileTest, MissingOrUnreadableFileGivesDefaults) {
    IniFile missing(dir_.File("absent.ini"));
    EXPECT_EQ(missing.GetInt("S", "k", 42), 42);
    EXPECT_EQ(missing.GetString("S", "k", "d"), "d");
    IniFile folder(dir_.Path().string()); // a folder, not a file
    EXPECT_EQ(folder.GetInt("S", "k", 9), 9);
}

TEST_F(IniFileTest, Utf8ByteOrderMarkIsNotPartOfTheFirstSection) {
    IniFile ini(Make("\xEF\xBB\xBF[S]\nK=v\n"));
    EXPECT_EQ(ini.GetString("S", "K", ""), "v");
    ASSERT_TRUE(ini.WriteString("S", "K", "w"));
    EXPECT_EQ(ReadFile(path_), "\xEF\xBB\xBF[S]\nK=w\n");
}

// ------------------------------------------------------------------ writing

TEST_F(IniFileTest, WritingReplacesValueInPlaceAndKeepsEveryOtherLine) {
    const std::string before = "; settings\n[Other]\nShuffleMode=1\nUnknown=zzz\n\n"
                               "[Prefs]\n; a note\nShuffleMode = 0\nExtra=keep me\n\n[Tail]\nX=1\n";
    IniFile ini(Make(before));
    ASSERT_TRUE(ini.WriteInt("PREFS", "shufflemode", 1));
    EXPECT_EQ(ReadFile(path_),
              "; settings\n[Other]\nShuffleMode=1\nUnknown=zzz\n\n"
              "[Prefs]\n; a note\nShuffleMode = 1\nExtra=keep me\n\n[Tail]\nX=1\n");
}

TEST_F(IniFileTest, MissingKeyIsAppendedToItsSectionBeforeTheBlankSeparator) {
    IniFile ini(Make("[A]\nk=1\n\n[B]\nj=2\n"));
    ASSERT_TRUE(ini.WriteString("a", "New", "v"));
    ASSERT_TRUE(ini.WriteString("B", "Last", "w"));
    EXPECT_EQ(ReadFile(path_), "[A]\nk=1\nNew=v\n\n[B]\nj=2\nLast=w\n");
}

TEST_F(IniFileTest, MissingSectionIsAppendedAndMissingFileCreated) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteInt("Preferences", "Gap", -250));
    EXPECT_EQ(ReadFile(path_), "[Preferences]\nGap=-250\n");
    ASSERT_TRUE(ini.WriteString("Second", "Name", "x"));
    EXPECT_EQ(ReadFile(path_), "[Preferences]\nGap=-250\n\n[Second]\nName=x\n");

    IniFile noNewline(Make("[A]\nk=1"));
    ASSERT_TRUE(noNewline.WriteString("A", "j", "2"));
    EXPECT_EQ(ReadFile(path_), "[A]\nk=1\nj=2\n");
}

TEST_F(IniFileTest, WritingKeepsTheFilesLineEnds) {
    IniFile ini(Make("[S]\r\nA=1\r\n"));
    ASSERT_TRUE(ini.WriteInt("S", "A", 2));
    ASSERT_TRUE(ini.WriteInt("S", "B", 3));
    EXPECT_EQ(ReadFile(path_), "[S]\r\nA=2\r\nB=3\r\n");
}

TEST_F(IniFileTest, ValuesReadBackExactlyAsWritten) {
    IniFile ini(path_);
    const std::vector<std::string> values = {"plain",      "  leading and trailing  ",
                                             "\"quoted\"", "'single'",
                                             "a=b",        "",
                                             "ÆØÅ æøå Ж",  "C:\\Music\\",
                                             "%1 - %3",    "\"",
                                             "tab\tinside"};
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(ini.WriteString("S", "k" + std::to_string(i), values[i]));
    IniFile reread(path_);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.GetString("S", "k" + std::to_string(i), "?"), values[i]) << i;
}

TEST_F(IniFileTest, LineBreaksInAValueCannotInjectKeysOrSections) {
    IniFile ini(Make("[S]\nA=1\n[T]\nB=2\n"));
    ASSERT_TRUE(ini.WriteString("S", "A", "x\n[T]\r\nB=666"));
    IniFile reread(path_);
    EXPECT_EQ(reread.GetInt("T", "B", 0), 2);
    EXPECT_EQ(reread.SectionNames(), (std::vector<std::string>{"S", "T"}));
    EXPECT_EQ(reread.GetString("S", "A", ""), "x [T]  B=666");
}

TEST_F(IniFileTest, RemovingKeysAndSectionsLeavesTheRestAlone) {
    IniFile ini(Make("[A]\nk=1\nj=2\n[B]\nx=1\n[C]\ny=2\n"));
    ASSERT_TRUE(ini.RemoveKey("a", "K"));
    ASSERT_TRUE(ini.RemoveSection("b"));
    EXPECT_EQ(ReadFile(path_), "[A]\nj=2\n[C]\ny=2\n");
    EXPECT_EQ(ini.KeyNames("c"), (std::vector<std::string>{"y"}));
}

// ------------------------------------------------------------- file handling

TEST_F(IniFileTest, WriteLeavesNoTemporaryFileAndKeepsPermissions) {
    IniFile ini(Make("[S]\nA=1\n"));
    ::chmod(path_.c_str(), 0640);
    ASSERT_TRUE(ini.WriteInt("S", "A", 2));
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    for (auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

TEST_F(IniFileTest, WriteThroughASymbolicLinkReplacesTheTargetAndKeepsTheLink) {
    std::string target = dir_.File("real.ini");
    WriteFile(target, "[S]\nA=1\n");
    std::filesystem::create_symlink(target, path_);
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteInt("S", "A", 5));
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(ReadFile(target), "[S]\nA=5\n");
}

TEST_F(IniFileTest, FailedWriteReportsFailureAndKeepsMemoryInStepWithDisk) {
    IniFile ini(dir_.File("no/such/folder/zeb.ini"));
    EXPECT_FALSE(ini.WriteInt("S", "A", 1));
    EXPECT_EQ(ini.GetInt("S", "A", -1), -1);
}

TEST_F(IniFileTest, ReadsSeeChangesMadeByOtherWritersOfTheSameFile) {
    IniFile first(Make("[S]\nA=1\n"));
    IniFile second(path_);
    EXPECT_EQ(first.GetInt("S", "A", 0), 1);
    ASSERT_TRUE(second.WriteInt("S", "A", 2));
    EXPECT_EQ(first.GetInt("S", "A", 0), 2);
    // An edit by hand (same size, new content) is seen too.
    WriteFile(path_, "[S]\nA=3\n");
    struct timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
    times[1].tv_sec = 1; // force a different modification time
    times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path_.c_str(), times, 0);
    EXPECT_EQ(first.GetInt("S", "A", 0), 3);
}

TEST_F(IniFileTest, BatchWritesTheFileOnceWithAllChanges) {
    IniFile ini(Make("[S]\nA=1\n"));
    struct stat before {};
    ::stat(path_.c_str(), &before);
    {
        IniFile::Batch batch(ini);
        for (int i = 0; i < 50; ++i)
            ini.WriteInt("S", "K" + std::to_string(i), i);
        // Nothing reached the disk yet, but reads inside the batch see the edits.
        EXPECT_EQ(ReadFile(path_), "[S]\nA=1\n");
        EXPECT_EQ(ini.GetInt("S", "K49", -1), 49);
        EXPECT_TRUE(batch.Commit());
    }
    struct stat after {};
    ::stat(path_.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino); // replaced, not rewritten in place
    IniFile reread(path_);
    EXPECT_EQ(reread.GetInt("S", "K0", -1), 0);
    EXPECT_EQ(reread.GetInt("S", "K49", -1), 49);
}

TEST_F(IniFileTest, ConcurrentWritersFromTwoThreadsLoseNoKey) {
    IniFile ini(path_);
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 40; ++i)
            ini.WriteInt("S", prefix + std::to_string(i), i);
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    IniFile reread(path_);
    EXPECT_EQ(reread.KeyNames("S").size(), 80u);
}

// Two users of one program folder whose sessions end together: each process
// reads, edits and replaces the file, and neither may drop the other's keys.
TEST_F(IniFileTest, TwoProcessesWritingTogetherLoseNoKey) {
    Make("[Shared]\nKeep=1\n");
    const bool ok = test::RunInChildProcesses(2, [&](int child) {
        IniFile ini(path_);
        const std::string section = "Preferences - user" + std::to_string(child);
        for (int i = 0; i < 60; ++i) {
            if (i % 3 == 0) {
                IniFile::Batch batch(ini);
                ini.WriteInt(section, "B" + std::to_string(i), i);
                ini.WriteInt(section, "C" + std::to_string(i), i);
            } else if (!ini.WriteInt(section, "K" + std::to_string(i), i)) {
                return false;
            }
        }
        return true;
    });
    ASSERT_TRUE(ok);
    IniFile reread(path_);
    EXPECT_EQ(reread.KeyNames("Preferences - user0").size(), 80u);
    EXPECT_EQ(reread.KeyNames("Preferences - user1").size(), 80u);
    EXPECT_EQ(reread.GetInt("Shared", "Keep", 0), 1);
}

TEST_F(IniFileTest, TemporariesOfEndedProcessesAreRemovedAtStart) {
    Make("[S]\nA=1\n");
    const std::string ended = std::to_string(test::EndedProcessId());
    const std::string own = std::to_string(::getpid());
    const std::vector<std::string> stale{path_ + ".tmp-" + ended + "-3",
                                         dir_.File(".zeb.ini.new-" + ended + "-0")};
    const std::vector<std::string> kept{path_ + ".tmp-" + own + "-0", path_ + ".tmp-x-1",
                                        dir_.File("other.ini.tmp-" + ended + "-1")};
    for (const std::string& name : stale)
        WriteFile(name, "partial");
    for (const std::string& name : kept)
        WriteFile(name, "partial");
    IniFile ini(path_);
    for (const std::string& name : stale)
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(name)) << name;
    EXPECT_EQ(ini.GetInt("S", "A", 0), 1);
}

// A user name may hold ']': its section must be found again, not appended anew
// at every save.
TEST_F(IniFileTest, SectionNameHoldingABracketIsFoundAgain) {
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteInt("Preferences - a]b", "K", 1));
    ASSERT_TRUE(ini.WriteInt("Preferences - a]b", "K", 2));
    ASSERT_TRUE(ini.WriteInt("Preferences - a", "K", 3));
    IniFile reread(path_);
    EXPECT_EQ(reread.GetInt("Preferences - a]b", "K", 0), 2);
    EXPECT_EQ(reread.GetInt("Preferences - a", "K", 0), 3);
    EXPECT_EQ(reread.SectionNames().size(), 2u);
}

// Opening a named pipe blocks until a writer comes: the settings file must
// not be opened that way, nor replaced.
TEST_F(IniFileTest, NamedPipeInPlaceOfTheFileReadsAsEmptyAndIsNotReplaced) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    IniFile ini(path_);
    EXPECT_EQ(ini.GetInt("S", "A", 7), 7);
    EXPECT_FALSE(ini.WriteInt("S", "A", 1));
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ParseIniInt, RejectsTextWithoutLeadingDigits) {
    EXPECT_EQ(ParseIniInt("12abc"), 12);
    EXPECT_EQ(ParseIniInt("  -3x"), -3);
    EXPECT_FALSE(ParseIniInt("x12").has_value());
    EXPECT_FALSE(ParseIniInt("- 3").has_value());
    EXPECT_FALSE(ParseIniInt("").has_value());
    EXPECT_EQ(ParseIniInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInt("2147483648"), INT32_MAX);
}

} // namespace
} // namespace zeb
