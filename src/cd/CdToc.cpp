#include "cd/CdToc.h"

#include "cd/CdTime.h"

namespace zeb {

const CdTrack* CdToc::Find(int number) const {
    for (const CdTrack& track : tracks)
        if (track.number == number)
            return &track;
    return nullptr;
}

long CdToc::EndLsn(int number) const {
    const CdTrack* next = Find(number + 1);
    return next ? next->startLsn : leadoutLsn;
}

long CdToc::LengthFrames(int number) const {
    const CdTrack* track = Find(number);
    if (!track)
        return 0;
    const long length = EndLsn(number) - track->startLsn;
    return number == LastTrack() && length > 0 ? length - 1 : length;
}

int CdToc::TrackAt(long lsn) const {
    int found = FirstTrack();
    for (const CdTrack& track : tracks)
        if (track.startLsn <= lsn)
            found = track.number;
    return found;
}

uint32_t CdToc::Identity() const {
    uint32_t sum = 0;
    for (const CdTrack& track : tracks) {
        const long frames = track.startLsn + kCdPregapFrames;
        const long seconds = frames / kCdFramesPerSecond;
        sum += static_cast<uint32_t>((seconds / 60) << 16 | (seconds % 60) << 8 |
                                     frames % kCdFramesPerSecond);
    }
    if (!tracks.empty() && tracks.size() < 3)
        sum += static_cast<uint32_t>(tracks.front().startLsn + kCdPregapFrames + leadoutLsn +
                                     kCdPregapFrames);
    return sum;
}

} // namespace zeb
