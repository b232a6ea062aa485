#pragma once

#include <vector>

namespace zeb {

class MciDevice;

// A minutes:seconds:frames address or length (75 frames a second).
struct Msf {
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

// The table of contents a CDDB lookup is made from.
struct DiscToc {
    std::vector<Msf> starts;  // absolute start of each track, track 1 first
    std::vector<int> offsets; // absolute start of each track in frames, as servers expect
    Msf leadOut;              // one frame past the end of the last track
    int totalSeconds = 0;     // the lead-out's absolute time in whole seconds

    int TrackCount() const { return static_cast<int>(starts.size()); }
};

// Reads the table of contents of the disc in `mci` (alias "zeb"). The device
// is switched to MSF for the reading and left in TMSF. An empty table when the
// disc has no tracks or the drive does not answer.
DiscToc ReadDiscToc(MciDevice& mci);

} // namespace zeb
