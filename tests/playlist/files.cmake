# Playlist files: M3U and PLS reading and writing, the user list.
zeb_add_gtest(playlist_files_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistReaderTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/PlaylistWriterTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/UserListTest.cpp
    LIBS zeb_playlist)
