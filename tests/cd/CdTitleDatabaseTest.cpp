#include "cd/CdTitleDatabase.h"

#include "playlist/AnsiCodePage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class CdTitleDatabaseTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("CDPLAYER.INI");
};

TEST_F(CdTitleDatabaseTest, DiscKeyIsTheHexadecimalFormOfTheLeadingDigits) {
    EXPECT_EQ(CdTitleDatabase::DiscKey("2748"), "ABC");
    EXPECT_EQ(CdTitleDatabase::DiscKey(" 255 and more"), "FF");
    EXPECT_EQ(CdTitleDatabase::DiscKey("4294967296"), "100000000");
    EXPECT_EQ(CdTitleDatabase::DiscKey(""), CdTitleDatabase::kNoDisc);
    EXPECT_EQ(CdTitleDatabase::DiscKey("none"), CdTitleDatabase::kNoDisc);
}

TEST_F(CdTitleDatabaseTest, AStoredDiscReadsBackWithNamesAndOrder) {
    {
        CdTitleDatabase db(dir_.File("new/folder/CDPLAYER.INI"));
        ASSERT_TRUE(db.StoreEntry("ABC", "Band", "Album", {"One", "Two", "Three", "Four", "Five"},
                                  {3, 1, 5}));
    }
    CdTitleDatabase db(dir_.File("new/folder/CDPLAYER.INI"));
    EXPECT_EQ(db.Artist("ABC", false), "Band");
    EXPECT_EQ(db.Title("ABC", true), "Album");
    EXPECT_EQ(db.TrackName("ABC", 1), "One");
    EXPECT_EQ(db.TrackName("ABC", 5), "Five");
    EXPECT_EQ(db.TrackName("ABC", 6), "Track 6");
    EXPECT_EQ(db.Order("ABC"), (std::vector<int>{3, 1, 5}));
    EXPECT_EQ(db.OrderText("ABC"), "2 0 4");

    const std::string text = ReadFile(db.Path());
    EXPECT_NE(text.find("numplay=3"), std::string::npos) << text;
    EXPECT_NE(text.find("NumTracks=5"), std::string::npos) << text;

    // An unknown disc gets the defaults of each use.
    EXPECT_EQ(db.Artist("DEF", true), "Unknown");
    EXPECT_EQ(db.Artist("DEF", false), "");
    EXPECT_EQ(db.Title("DEF", false), "");
    EXPECT_TRUE(db.Order("DEF").empty());

    // With no disc nothing is written.
    EXPECT_FALSE(db.StoreDisc(CdTitleDatabase::kNoDisc, "A", "T", {"x"}));
    EXPECT_EQ(ReadFile(db.Path()), text);
}

TEST_F(CdTitleDatabaseTest, StoringKeepsOtherSectionsAndUnknownKeysByteForByte) {
    const std::string other = "[Other Player]\r\n; a comment\r\nWeird Key = \"quoted\" \r\n\r\n";
    WriteFile(path_, other + "[abc]\r\nGenre=Jazz\r\nartist=Old\r\n");
    CdTitleDatabase db(path_);
    ASSERT_TRUE(db.StoreDisc("ABC", "New", "Disc", {"First"}));

    const std::string text = ReadFile(path_);
    EXPECT_EQ(text.substr(0, other.size()), other);
    EXPECT_NE(text.find("Genre=Jazz\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("artist=New\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Old"), std::string::npos) << text;
    EXPECT_EQ(text.find("[ABC]"), std::string::npos) << "a second section for the same disc";
    EXPECT_EQ(db.Artist("Abc", true), "New");
    EXPECT_EQ(db.TrackName("aBc", 1), "First");
}

TEST_F(CdTitleDatabaseTest, ValuesAreCutTo255Characters) {
    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\xC3\xA9"; // é
    WriteFile(path_, "[1]\nArtist=" + std::string(300, 'a') + "\n0=" + accents + "\n");
    CdTitleDatabase db(path_);
    EXPECT_EQ(db.Artist("1", true), std::string(255, 'a'));
    EXPECT_EQ(db.TrackName("1", 1), accents.substr(0, 2 * 255));
}

TEST_F(CdTitleDatabaseTest, ValuesInACodePageAreReadAsUtf8) {
    WriteFile(path_, "[1]\nArtist=Bj\xF6rk\nTitle=Sigur R\xC3\xB3s\n");
    SetAnsiCodePageForLanguage(0);
    CdTitleDatabase db(path_, AnsiToUtf8);
    EXPECT_EQ(db.Artist("1", true), "Bj\xC3\xB6rk");
    EXPECT_EQ(db.Title("1", true), "Sigur R\xC3\xB3s");
}

TEST_F(CdTitleDatabaseTest, NameForms) {
    const std::string long41 = "Fire & Water" + std::string(29, 'x');
    WriteFile(path_, "[F]\nArtist=Band & Co\n0=Rock & Roll\n1=" + long41 +
                         "\n2=" + std::string(40, 'y') + "\n");
    CdTitleDatabase db(path_);

    EXPECT_EQ(db.ShortName("F", 1), "Rock && Roll");
    EXPECT_EQ(db.ShortName("F", 2), "Fire && Water" + std::string(25, 'x') + "...");
    EXPECT_EQ(db.ShortName("F", 3), std::string(40, 'y'));
    // Lengths count characters, not bytes, and a cut never splits one.
    const std::string e = "\xC3\xA9";
    EXPECT_EQ(CdTitleDatabase::MenuText(std::string(37, 'a') + e + e + e),
              std::string(37, 'a') + e + e + e);
    EXPECT_EQ(CdTitleDatabase::MenuText(std::string(36, 'a') + e + e + e + e + e),
              std::string(36, 'a') + e + "...");

    EXPECT_EQ(db.DisplayName("F", 1, 0), "Rock & Roll");
    EXPECT_EQ(db.DisplayName("F", 1, 1), "Band & Co - Rock & Roll");
    EXPECT_EQ(db.DisplayName("F", 1, 2), "Track 1");
    EXPECT_EQ(db.NowPlayingName("F", 4), "Band & Co - Track 4");
    EXPECT_EQ(db.NowPlayingName("G", 1), "Unknown - Track 1");
}

TEST_F(CdTitleDatabaseTest, HandEditedOrdersReadSoundly) {
    // Two spaces give an empty item (track 1), as does a word; numbers that
    // cannot name a CD track are left out.
    WriteFile(path_, "[A]\norder=  2  0 x 4 -1 150 \n");
    CdTitleDatabase db(path_);
    EXPECT_EQ(db.Order("A"), (std::vector<int>{3, 1, 1, 1, 5}));
    EXPECT_EQ(db.OrderText("A"), "2  0 x 4 -1 150");

    ASSERT_TRUE(db.SetOrder("A", {2}));
    EXPECT_EQ(db.Order("A"), (std::vector<int>{2}));
    ASSERT_TRUE(db.SetOrder("A", {}));
    EXPECT_TRUE(db.Order("A").empty());
}

TEST_F(CdTitleDatabaseTest, AFileChangedOnDiskIsReadAgain) {
    WriteFile(path_, "[A]\nTitle=First\n");
    CdTitleDatabase db(path_);
    ASSERT_EQ(db.Title("A", true), "First");

    WriteFile(path_, "[A]\nTitle=Second edition\n"); // rewritten in place
    EXPECT_EQ(db.Title("A", true), "Second edition");

    // A store by another holder of the file (the lookup worker's own object).
    CdTitleDatabase worker(path_);
    std::thread([&] { ASSERT_TRUE(worker.StoreDisc("B", "Band", "Fetched", {"Song"})); }).join();
    EXPECT_EQ(db.Title("B", true), "Fetched");
    EXPECT_EQ(db.Title("A", true), "Second edition");
}

TEST_F(CdTitleDatabaseTest, AFailedStoreLeavesTheOldFileWhole) {
    const std::string old = "[A]\nTitle=Kept\n0=Song\n";
    WriteFile(path_, old);
    ::chmod(path_.c_str(), 0444);
    CdTitleDatabase db(path_);
    EXPECT_FALSE(db.StoreDisc("A", "New", "New", {"New"}));
    EXPECT_FALSE(db.SetOrder("A", {1}));
    EXPECT_EQ(ReadFile(path_), old);
    EXPECT_EQ(db.Title("A", true), "Kept");

    if (::geteuid() == 0)
        return; // a read-only folder does not stop the superuser
    ::chmod(path_.c_str(), 0644);
    ::chmod(dir_.Path().c_str(), 0555);
    EXPECT_FALSE(db.StoreDisc("A", "New", "New", {"New"}));
    ::chmod(dir_.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(path_), old);
}

} // namespace
} // namespace zeb
