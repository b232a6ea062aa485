#include "cd/CdPlaylistEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Lines = std::vector<std::string>;

class CdPlaylistEditorTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("CDPLAYER.INI");
    const std::vector<std::string> lengths_ = {"01:00:00", "02:00", "03:30", "04:00", "05:05"};
};

TEST_F(CdPlaylistEditorTest, EditingADiscStoresNamesAndTheChosenOrder) {
    WriteFile(path_, "[1A]\nArtist=Band\n1=Second\n");
    CdTitleDatabase db(path_);
    {
        CdPlaylistEditor editor(db, "1A", lengths_);
        EXPECT_FALSE(editor.CanSave()) << "no title yet";
        EXPECT_EQ(editor.Artist(), "Band");
        EXPECT_EQ(editor.AvailableLines(),
                  (Lines{"Track 1 (01:00)", "Second (02:00)", "Track 3 (03:30)", "Track 4 (04:00)",
                         "Track 5 (05:05)"}));
        EXPECT_EQ(editor.Order(), (std::vector<int>{1, 2, 3, 4, 5}));

        while (editor.Remove(0)) {
        }
        EXPECT_TRUE(editor.Add(2));
        EXPECT_TRUE(editor.Add(0));
        EXPECT_FALSE(editor.Add(2)) << "a track appears once in the order";
        EXPECT_TRUE(editor.Add(4));
        EXPECT_FALSE(editor.Add(5));

        EXPECT_EQ(editor.SetName(0, "Intro (live)"), 1);
        EXPECT_EQ(editor.SetName(4, "Outro"), 0) << "the selection wraps to the first entry";
        EXPECT_EQ(editor.TrackName(0), "Intro (live)");
        EXPECT_EQ(editor.OrderLines(),
                  (Lines{"Track 3 (03:30)", "Intro (live) (01:00)", "Outro (05:05)"}));

        editor.SetTitle("Album");
        EXPECT_TRUE(editor.CanSave());
        ASSERT_TRUE(editor.Save());
    }
    const std::string text = ReadFile(path_);
    EXPECT_NE(text.find("order=2 0 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("numplay=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("NumTracks=5\n"), std::string::npos) << text;

    CdPlaylistEditor reopened(db, "1A", lengths_);
    EXPECT_EQ(reopened.Title(), "Album");
    EXPECT_TRUE(reopened.CanSave());
    EXPECT_EQ(reopened.OrderLines(),
              (Lines{"Track 3 (03:30)", "Intro (live) (01:00)", "Outro (05:05)"}));
    reopened.SetArtist("");
    EXPECT_FALSE(reopened.CanSave());
}

TEST_F(CdPlaylistEditorTest, OrdersNamingNoTrackOfTheDiscAndMissingDiscs) {
    WriteFile(path_, "[2B]\nArtist=A\nTitle=T\norder=1 7 0\n");
    CdTitleDatabase db(path_);
    CdPlaylistEditor editor(db, "2B", {"01:00", "02:00"});
    EXPECT_EQ(editor.Order(), (std::vector<int>{2, 1}));

    const std::string before = ReadFile(path_);
    CdPlaylistEditor none(db, CdTitleDatabase::kNoDisc, lengths_);
    EXPECT_TRUE(none.AvailableLines().empty());
    EXPECT_TRUE(none.OrderLines().empty());
    EXPECT_FALSE(none.Save());
    EXPECT_EQ(ReadFile(path_), before);
}

} // namespace
} // namespace zeb
