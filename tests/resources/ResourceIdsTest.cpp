#include "resources/ResourceIds.h"

#include "KnownCommands.h"

#include <gtest/gtest.h>
#include <set>

namespace zeb {
namespace {

using test::kMainWindowCommands;
using test::kPlaylistWindowCommands;
using test::kSkinMenuCommands;

TEST(ResourceIds, TrackIdsCoverExactlyTheMenuEntries) {
    EXPECT_EQ(ID_TRACK_LAST - ID_TRACK_FIRST + 1, kMaxMenuEntries);
    EXPECT_EQ(TrackCommandId(0), ID_TRACK_FIRST);
    EXPECT_EQ(TrackCommandId(kMaxMenuEntries - 1), ID_TRACK_LAST);
    EXPECT_TRUE(IsTrackCommand(TrackCommandId(kMaxMenuEntries - 1)));
    EXPECT_FALSE(IsTrackCommand(TrackCommandId(kMaxMenuEntries)));
    EXPECT_FALSE(IsTrackCommand(TrackCommandId(-1)));
}

TEST(ResourceIds, RecentAndDriveIdsCoverTheirEntries) {
    EXPECT_EQ(kRecentCount, 10);
    EXPECT_TRUE(IsRecentCommand(RecentCommandId(0)));
    EXPECT_TRUE(IsRecentCommand(RecentCommandId(kRecentCount - 1)));
    EXPECT_FALSE(IsRecentCommand(RecentCommandId(kRecentCount)));
    EXPECT_EQ(DriveCommandId('C'), ID_DRIVE_FIRST);
    EXPECT_EQ(DriveCommandId('D'), 6251);
    EXPECT_TRUE(IsDriveCommand(DriveCommandId('Z')));
    EXPECT_FALSE(IsDriveCommand(ID_DRIVE_FIRST - 1));
}

TEST(ResourceIds, GeneratedRangesDoNotOverlap) {
    for (int id = ID_RECENT_FIRST; id <= ID_DRIVE_LAST; ++id) {
        const int ranges =
            int(IsRecentCommand(id)) + int(IsTrackCommand(id)) + int(IsDriveCommand(id));
        EXPECT_LE(ranges, 1) << id;
    }
}

TEST(ResourceIds, NamedCommandsStayOutsideTheGeneratedRanges) {
    for (int id : kMainWindowCommands) {
        EXPECT_FALSE(IsRecentCommand(id) || IsTrackCommand(id) || IsDriveCommand(id)) << id;
    }
    for (int id : kPlaylistWindowCommands) {
        EXPECT_FALSE(IsTrackCommand(id)) << id; // the find menu sends track ids
    }
}

TEST(ResourceIds, EveryCommandNameHasItsOwnNumber) {
    std::set<int> seen;
    for (int id : kMainWindowCommands) {
        EXPECT_TRUE(seen.insert(id).second) << "duplicate command id " << id;
    }
    for (int id : kPlaylistWindowCommands) {
        EXPECT_TRUE(seen.insert(id).second) << "duplicate command id " << id;
    }
    for (int id : kSkinMenuCommands) {
        EXPECT_TRUE(seen.insert(id).second) << "duplicate command id " << id;
    }
    EXPECT_FALSE(seen.contains(ID_ALWAYS_ON_TOP));
}

TEST(ResourceIds, EveryHotkeyHasItsOwnControl) {
    std::set<int> hotkeys;
    std::set<int> controls;
    for (const HotkeyControl& entry : kHotkeyControls) {
        EXPECT_TRUE(hotkeys.insert(entry.hotkeyId).second) << entry.hotkeyId;
        EXPECT_TRUE(controls.insert(entry.controlId).second) << entry.controlId;
    }
    // The hotkey dialog numbers its 25 controls without gaps.
    EXPECT_EQ(*controls.begin(), IDC_HK_OPEN_FILE);
    EXPECT_EQ(*controls.rbegin(), IDC_HK_ALBUM_MODE);
    EXPECT_EQ(int(controls.size()), IDC_HK_ALBUM_MODE - IDC_HK_OPEN_FILE + 1);
}

TEST(ResourceIds, EqualizerBarsAreDistinctControls) {
    std::set<int> controls(kEqualizerBandControls.begin(), kEqualizerBandControls.end());
    EXPECT_EQ(controls.size(), kEqualizerBandControls.size());
    for (int other :
         {IDC_EQ_ENABLE, IDC_EQ_RESET, IDC_EQ_PREAMP, IDC_EQ_PRESETS, IDC_EQ_SAVE, IDC_EQ_DELETE}) {
        EXPECT_FALSE(controls.contains(other)) << other;
    }
}

} // namespace
} // namespace zeb
