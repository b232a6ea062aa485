#pragma once

#include <cstdint>
#include <vector>

namespace zeb {

// One track of a disc's table of contents. Addresses are logical sector numbers (LSN): sector
// 0 is the start of the program area, which the absolute MSF addresses call 00:02:00.
struct CdTrack {
    int number = 0;
    long startLsn = 0;
    bool audio = true;
};

// A disc's table of contents: its tracks in order and the lead-out.
struct CdToc {
    std::vector<CdTrack> tracks;
    long leadoutLsn = 0;

    bool Empty() const { return tracks.empty(); }
    int FirstTrack() const { return tracks.empty() ? 0 : tracks.front().number; }
    int LastTrack() const { return tracks.empty() ? 0 : tracks.back().number; }
    // The track with this number, or nullptr.
    const CdTrack* Find(int number) const;
    // The sector after the track's last one: the next track's start or the lead-out.
    long EndLsn(int number) const;
    // The track's length in sectors as the MCI CD device reports it: up to the next track, and
    // one sector short of the lead-out for the last track.
    long LengthFrames(int number) const;
    // The track holding sector `lsn`; the last track for sectors at or past the lead-out.
    int TrackAt(long lsn) const;
    // The disc's identity number: the packed MSF start addresses of the tracks summed, and for
    // discs of fewer than three tracks the first track's start and the lead-out (both in
    // frames) added, so that short discs of different lengths differ.
    uint32_t Identity() const;
};

// The absolute MSF address of sector 0 of the program area, in frames.
inline constexpr long kCdPregapFrames = 150;

} // namespace zeb
