#pragma once

#include "playlist/PlaylistEntry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zeb {

// The user list file keeps each user's playlist between runs, one section
// per settings section:
//   [Global]            for the settings section "Preferences"
//   [<user>]            for "Preferences - <user>"
// followed by the entry paths as stored, each with a "#TAG=" info line when
// its info line is known.

// The section of the user list that belongs to a settings section.
std::string UserListSectionName(const std::string& settingsSection);

// The entries of the section (trimmed, letter case ignored) up to the next
// line starting with '['. A "#TAG=" line sets the info line of the entry
// before it (reported to onInfo); every other line, empty ones included, is
// an entry path, taken as is except that spaces in addresses become "%20".
// Empty when the file or the section is missing. Temporary files of saves
// interrupted by a crash are removed first.
std::vector<PlaylistEntry> LoadUserList(const std::string& userListPath,
                                        const std::string& settingsSection,
                                        const InfoFoundFn& onInfo = {});

// Replaces the settings section's part of the file with entries; the lines
// of every other section stay as they were (trimmed). The file is read and
// replaced atomically under a lock, so concurrent saves of other users'
// sections are never lost. False when it could not be written: it is then unchanged, and
// the caller must not record the current index either.
bool SaveUserList(const std::string& userListPath, const std::string& settingsSection,
                  const std::vector<PlaylistEntry>& entries);

// Where a restored list starts: at a random entry when RandomFirst or
// ShuffleMode is 1, else at the saved index when it lies below the entry
// count, else at 0.
struct UserListStart {
    bool random = false;
    size_t index = 0; // when not random
    bool operator==(const UserListStart&) const = default;
};
UserListStart ChooseUserListStart(int savedIndex, size_t entryCount, int randomFirst,
                                  int shuffleMode);

} // namespace zeb
