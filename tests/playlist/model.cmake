# Playlist model, info lines and cache, folder scan, sorting, ID3v1 tags and genres.
zeb_add_gtest(playlist_model_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/Id3v1Test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/InfoLineTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/InfoCacheTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FolderScanTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SortTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/PlaylistModelTest.cpp
    LIBS zeb_playlist
    FIXTURES)
