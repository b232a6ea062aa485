#pragma once

// The named command constants, grouped by the window that handles them.

#include "resources/ResourceIds.h"

#include <array>

namespace zeb::test {

constexpr std::array kMainWindowCommands = {
    ID_PLAY,
    ID_PAUSE,
    ID_STOP,
    ID_PREVIOUS,
    ID_NEXT,
    ID_SIDE_BAR,
    ID_EXIT,
    ID_ABOUT,
    ID_TOGGLE_LANGUAGE,
    ID_MINIBAR,
    ID_MP3_INFO,
    ID_PLAYLIST_WINDOW,
    ID_EQUALIZER,
    ID_REPEAT_LIST,
    ID_REPEAT_TRACK,
    ID_SHUFFLE,
    ID_RANDOM_FIRST,
    ID_ALBUM_MODE,
    ID_EXIT_AFTER_PLAYBACK,
    ID_SHUTDOWN_AFTER_PLAYBACK,
    ID_AUTOMATION_SETUP,
    ID_AUTOMATION_RUN,
    ID_ADVANCED_SETTINGS,
    ID_OPEN_FILE,
    ID_OPEN_FOLDER,
    ID_OPEN_URL,
    ID_SHOW_TIME_PLAYED,
    ID_SHOW_TIME_LEFT,
    ID_SHOW_TOTAL_TIME,
    ID_SHOW_TITLE,
    ID_SHOW_ARTIST_TITLE,
    ID_SHOW_FILE_NAME,
    ID_FOLLOW_ACTIVE_WINDOW,
    ID_TO_CD_MODE,
    ID_TO_MP3_MODE,
    ID_CD_EJECT,
    ID_CD_CLOSE_TRAY,
    ID_CD_MINIBAR,
    ID_CD_CDDB,
    ID_CD_PLAYLIST,
};

constexpr std::array kPlaylistWindowCommands = {
    ID_PL_OPEN,
    ID_PL_SAVE,
    ID_PL_EXTENDED_FORMAT,
    ID_PL_SELECT_ALL,
    ID_PL_ADD_FILES,
    ID_PL_ADD_FOLDER,
    ID_PL_ADD_PLAYLIST,
    ID_PL_REMOVE,
    ID_PL_REMOVE_ALL,
    ID_PL_EDIT_TAG,
    ID_PL_REREAD_TAGS,
    ID_PL_NEW_FROM_SELECTION,
    ID_PL_APPEND_TO_EXISTING,
    ID_PL_RENAME,
    ID_PL_DELETE_FILES,
    ID_PL_COPY_TO,
    ID_PL_MOVE_TO,
    ID_PL_SORT_BY_NAME,
    ID_PL_SORT_BY_PATH,
    ID_PL_RANDOM_ORDER,
    ID_PL_REMOVE_MISSING,
    ID_PL_REMOVE_DUPLICATES,
};

constexpr std::array kSkinMenuCommands = {ID_SKIN_DEFAULT, ID_SKIN_OPEN};

template <typename Array>
constexpr bool Contains(const Array& ids, int id) {
    for (int known : ids) {
        if (known == id) {
            return true;
        }
    }
    return false;
}

} // namespace zeb::test
