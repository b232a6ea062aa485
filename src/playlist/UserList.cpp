#include "playlist/UserList.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/TextUtil.h"
#include "playlist/InfoLine.h"
#include "playlist/PlaylistReader.h"
#include "playlist/PlaylistWriter.h"

#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace zeb {

namespace {

constexpr std::string_view kTagPrefix = "#TAG=";
constexpr std::string_view kSharedSettingsSection = "Preferences";
constexpr size_t kUserNameOffset = std::string_view("Preferences - ").size();

std::string HeaderOf(const std::string& settingsSection) {
    return "[" + UserListSectionName(settingsSection) + "]";
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsHeader(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

} // namespace

std::string UserListSectionName(const std::string& settingsSection) {
    if (settingsSection == kSharedSettingsSection)
        return "Global";
    return settingsSection.substr(std::min(kUserNameOffset, settingsSection.size()));
}

std::vector<PlaylistEntry> LoadUserList(const std::string& userListPath,
                                        const std::string& settingsSection,
                                        const InfoFoundFn& onInfo) {
    RemoveStaleTemporaries(userListPath);
    std::vector<PlaylistEntry> entries;
    std::optional<std::string> text = ReadTextFile(userListPath);
    if (!text)
        return entries;
    const std::string header = HeaderOf(settingsSection);
    bool inSection = false;
    for (std::string& line : SplitTrimmedLines(*text)) {
        if (!inSection) {
            inSection = EqualsIgnoreCase(line, header);
            continue;
        }
        if (IsHeader(line))
            break;
        if (line.rfind(kTagPrefix, 0) == 0 && !entries.empty()) {
            entries.back().info = line.substr(kTagPrefix.size());
            if (onInfo)
                onInfo(entries.back().path, entries.back().info);
            continue;
        }
        entries.push_back({StoredLineToPath(std::move(line)), {}});
    }
    return entries;
}

bool SaveUserList(const std::string& userListPath, const std::string& settingsSection,
                  const std::vector<PlaylistEntry>& entries) {
    const std::string header = HeaderOf(settingsSection);
    // Other users save their sections into the same file: read, edit and
    // replace it as one step.
    const FileLock lock(userListPath);
    std::string text;
    std::optional<std::string> old = ReadTextFile(userListPath);
    if (!old && Exists(userListPath))
        return false; // other users' lists cannot be kept: leave the file alone
    if (old) {
        bool own = false;
        for (const std::string& line : SplitTrimmedLines(*old)) {
            if (IsHeader(line))
                own = EqualsIgnoreCase(line, header);
            if (!own)
                text += line + "\n";
        }
    }
    text += header + "\n";
    for (const PlaylistEntry& entry : entries) {
        text += PathAsSingleLine(entry.path) + "\n";
        if (!entry.info.empty())
            text += std::string(kTagPrefix) + SingleLineText(entry.info) + "\n";
    }
    return WriteFileAtomically(userListPath, text);
}

UserListStart ChooseUserListStart(int savedIndex, size_t entryCount, int randomFirst,
                                  int shuffleMode) {
    if (randomFirst == 1 || shuffleMode == 1)
        return {true, 0};
    if (savedIndex >= 0 && static_cast<size_t>(savedIndex) < entryCount)
        return {false, static_cast<size_t>(savedIndex)};
    return {false, 0};
}

} // namespace zeb
