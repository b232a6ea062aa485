// The tray tip, window title, minibar and stream texts of the status display.
#include "shell/StatusText.h"

#include "engine/FrameHeader.h"
#include "engine/MpegPlayer.h"
#include "playlist/Id3v1Tag.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::QuietHost;

TEST(StatusLength, ReadsMinutesAndSecondsFromTheLastParenthesis) {
    EXPECT_EQ(LengthFromInfoLine("Artist - Song (3:45)"), 225);
    EXPECT_EQ(LengthFromInfoLine("Live (at home) - Set (125:07)"), 125 * 60 + 7);
    EXPECT_EQ(LengthFromInfoLine("(0:09)"), 9);
}

TEST(StatusLength, UnreadableLinesGiveZero) {
    EXPECT_EQ(LengthFromInfoLine(""), 0);
    EXPECT_EQ(LengthFromInfoLine("No length here"), 0);
    EXPECT_EQ(LengthFromInfoLine("Song (mm:ss)"), 0);
    EXPECT_EQ(LengthFromInfoLine("Song ("), 0);
    EXPECT_EQ(LengthFromInfoLine("Song ()"), 0);
    EXPECT_EQ(LengthFromInfoLine("Song (3-45)"), 0);
    EXPECT_EQ(LengthFromInfoLine("Song (99999999999:00)"), 0);
}

TEST(StatusLength, FallsBackToTheEngineThenOneSecond) {
    EXPECT_EQ(ChooseLengthSec(200, 90'000), 200);
    EXPECT_EQ(ChooseLengthSec(0, 90'500), 90);
    EXPECT_EQ(ChooseLengthSec(0, 999), 1);
    EXPECT_EQ(ChooseLengthSec(0, 0), 1);
}

TEST(StatusLength, PositionFollowsTheEngineStateAndStaysWithinTheLength) {
    EXPECT_EQ(ChoosePositionSec(CMpegPlayer::Playing, 12'900, 100), 12);
    EXPECT_EQ(ChoosePositionSec(CMpegPlayer::Paused, 12'900, 100), 12);
    EXPECT_EQ(ChoosePositionSec(CMpegPlayer::Stopped, 12'900, 100), 0);
    EXPECT_EQ(ChoosePositionSec(CMpegPlayer::Opened, 12'900, 100), 0);
    EXPECT_EQ(ChoosePositionSec(CMpegPlayer::Playing, 500'000, 100), 100);
}

TEST(StatusTooltip, KeepsThirtyCharactersAndMarksTheCut) {
    const std::string thirty(30, 'a');
    EXPECT_EQ(TooltipText(0, thirty, 5, 65), "1. " + thirty + " - 00:05/01:05");
    EXPECT_EQ(TooltipText(0, thirty + "b", 5, 65), "1. " + thirty + "... - 00:05/01:05");
}

TEST(StatusTooltip, CountsMultibyteCharactersAsOne) {
    // 31 Danish letters of two bytes each: 30 kept, never half of one.
    std::string title;
    for (int i = 0; i < 31; ++i)
        title += "æ";
    const std::string tip = TooltipText(6, title, 0, 1);
    EXPECT_LE(tip.size(), kTooltipMaxBytes);
    EXPECT_TRUE(IsValidUtf8(tip));
    EXPECT_EQ(tip.rfind("7. æææ", 0), 0u);
}

TEST(StatusTooltip, KeepsAmpersandsSingle) {
    EXPECT_EQ(TooltipText(1, "Rock & Roll", 61, 3600), "2. Rock & Roll - 01:01/60:00");
}

TEST(StatusTooltip, CutsToTheTipFieldWithoutSplittingCharacters) {
    // Russian: two bytes per letter, so 30 letters alone exceed 63 bytes.
    const std::string russian = "Очень длинное название песни для проверки";
    std::string tip = TooltipText(41, russian, 0, 200);
    EXPECT_LE(tip.size(), kTooltipMaxBytes);
    EXPECT_GE(tip.size(), kTooltipMaxBytes - 1);
    EXPECT_TRUE(IsValidUtf8(tip));
    EXPECT_EQ(tip.rfind("42. Очень", 0), 0u);

    // Odd offsets: "ø" straddles byte 63 unless the cut steps back.
    const std::string danish = "xøøøøøøøøøøøøøøøøøøøøøøøøøøøøøøø";
    for (int index : {0, 9, 99}) {
        tip = TooltipText(index, danish, 0, 1);
        EXPECT_LE(tip.size(), kTooltipMaxBytes);
        EXPECT_TRUE(IsValidUtf8(tip)) << tip;
    }
}

TEST(StatusTooltip, ShowsLongMinutesWhole) {
    EXPECT_EQ(TooltipText(0, "Set", 6000, 7265), "1. Set - 100:00/121:05");
}

TEST(StatusMinibar, TimeWithAndWithoutTotal) {
    EXPECT_EQ(MinibarTimeText(75, 200, false), "01:15");
    EXPECT_EQ(MinibarTimeText(75, 200, true), "01:15/03:20");
    EXPECT_EQ(MinibarTimeText(ShownTimeSec(75, 200, true), 200, true), "02:05/03:20");
}

TEST(StatusMinibar, TitleByShowingMode) {
    EXPECT_EQ(MinibarTitleText(2, 0, "Song", "Band - Song", "song_file"), "3. Song");
    EXPECT_EQ(MinibarTitleText(2, 1, "Song", "Band - Song", "song_file"), "3. Band - Song");
    EXPECT_EQ(MinibarTitleText(2, 2, "Song", "Band - Song", "song_file"), "3. song_file");
}

TEST(StatusStreamInfo, NamesEveryChannelMode) {
    FrameHeader h;
    ASSERT_TRUE(DecodeHeader(0xFFFB9000u, h)); // MPEG-1 Layer III, 128 kbit/s, 44100 Hz
    const char* words[] = {"Stereo", "Joint-stereo", "Dual-channel", "Mono"};
    for (int mode = 0; mode < 4; ++mode) {
        h.mode = mode;
        EXPECT_EQ(StreamInfoString(h), std::string("128@44100@") + words[mode]);
    }
}

class ComputeStatusTest : public ::testing::Test {
protected:
    QuietHost host_;
    CMainWnd wnd_{host_, 1u};
    FrameHeader header_;
};

TEST_F(ComputeStatusTest, EmptyListKeepsTheTipAndShowsTheProgramName) {
    StatusSnapshot s = ComputeStatus(wnd_, CMpegPlayer::Playing, 5000, 10'000, header_);
    EXPECT_TRUE(s.emptyList);
    EXPECT_FALSE(s.hasTooltip);
    EXPECT_EQ(s.icon, TrayIconKind::Stopped);
    EXPECT_EQ(s.mainWindowText, "ZEB MP3 Player");
    EXPECT_EQ(s.minibarPerMille, 0);
    EXPECT_TRUE(s.minibarTitle.empty());
}

TEST_F(ComputeStatusTest, PlayingEntryWithInfoLine) {
    wnd_.Model().Append("/m/a/first.mp3");
    wnd_.Model().Append("/m/a/Good_Song.mp3");
    wnd_.SetCurrentIndex(1);
    wnd_.Model().SetInfoAt(1, "Band - Good Song (4:00)");
    wnd_.SetCurrentTitles(wnd_.Model().PathAt(1));
    wnd_.ShowTTT = 1;
    wnd_.ShowingMode = 2;
    ASSERT_TRUE(DecodeHeader(0xFFFB9000u, header_));

    StatusSnapshot s = ComputeStatus(wnd_, CMpegPlayer::Playing, 60'400, 999'000, header_);
    EXPECT_FALSE(s.emptyList);
    EXPECT_EQ(s.icon, TrayIconKind::Playing);
    EXPECT_EQ(s.lengthSec, 240);
    EXPECT_EQ(s.positionSec, 60);
    EXPECT_EQ(s.minibarPerMille, 250);
    EXPECT_EQ(s.minibarTime, "01:00/04:00");
    EXPECT_EQ(s.minibarTitle, "2. Good Song");
    EXPECT_EQ(s.tooltip, "2. Good Song - 01:00/04:00");
    EXPECT_EQ(s.streamInfo, "128@44100@Stereo");
    EXPECT_EQ(s.shownName, "Good Song");
    EXPECT_EQ(s.mainWindowText, "ZEB: Good Song");

    wnd_.ShowRemainingTime = 1;
    s = ComputeStatus(wnd_, CMpegPlayer::Paused, 60'400, 0, header_);
    EXPECT_EQ(s.icon, TrayIconKind::Paused);
    EXPECT_EQ(s.tooltip, "2. Good Song - 03:00/04:00");
}

TEST_F(ComputeStatusTest, UnknownLengthShowsOneSecond) {
    wnd_.Model().Append("/nowhere/x.mp3");
    wnd_.SetCurrentIndex(0);
    wnd_.SetCurrentTitles("/nowhere/x.mp3");
    StatusSnapshot s = ComputeStatus(wnd_, CMpegPlayer::Stopped, 0, 0, header_);
    EXPECT_EQ(s.icon, TrayIconKind::Stopped);
    EXPECT_EQ(s.lengthSec, 1);
    EXPECT_EQ(s.tooltip, "1. x - 00:00/00:01");
}

} // namespace
} // namespace zeb
