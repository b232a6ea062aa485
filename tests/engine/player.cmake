# The whole engine decoding real files into WAV files.
zeb_add_gtest(engine_player_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlayerWavTest.cpp
    LIBS zeb_engine
    FIXTURES)
