// Paths that arrive from outside: the command line at start and the
// hand-over from a second instance.
#include "platform/HandoverRecord.h"
#include "shell/MainWnd.h"

#include <algorithm>
#include <vector>

namespace zeb {

void CMainWnd::NoteArrivedPath(const std::string& path) {
    AddRecent(path);
    recentHandover_ = true;
    host_.StartHandoverTimer();
}

void CMainWnd::OpenCommandLinePath(const std::string& path, bool add) {
    if (OpenStartPath(path, add, !add) == StartPath::Opened)
        NoteArrivedPath(path);
}

int32_t CMainWnd::OnHandover(std::span<const uint8_t> payload) {
    // Records longer than 268 bytes carry longer paths.
    if (!initialised_ || !IsHandoverRecordSize(payload.size()))
        return 0;
    // Modes other than add and CD open the path like mode 0.
    std::vector<uint8_t> bytes(payload.begin(), payload.end());
    uint32_t mode = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                    uint32_t(bytes[3]) << 24;
    if (mode > uint32_t(HandoverMode::PlayAudioCd))
        std::fill_n(bytes.begin(), 4, uint8_t(0));
    std::optional<HandoverRecord> record = DecodeHandoverRecord(bytes);
    if (!record)
        return 0;
    host_.StopHandoverTimer();
    if (record->mode == HandoverMode::PlayAudioCd) {
        // Posted: a missing drive's message must not hold the answer.
        host_.PostToUiThread([this] { PlayAudioCd(); });
        return 1;
    }
    LeaveCdMode(false);
    bool append = record->mode == HandoverMode::Add || recentHandover_;
    StartPath opened = OpenStartPath(record->path, append, !append);
    if (opened == StartPath::Opened)
        NoteArrivedPath(record->path);
    else if (recentHandover_)
        host_.StartHandoverTimer(); // the window still runs its course
    return 1;
}

} // namespace zeb
