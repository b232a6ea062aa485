# The whole engine decoding real files into WAV files.
zeb_add_gtest(engine_player_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlayerWavTest.cpp
    LIBS zeb_engine
    FIXTURES)

# The whole engine playing to a private sound server (see output.cmake).
zeb_add_sound_server_test(engine_player_device_test ${CMAKE_CURRENT_LIST_DIR}/PlayerDeviceTest.cpp)

# The whole engine over http:// and ftp:// from servers on the loopback interface.
zeb_add_gtest(engine_player_network_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlayerNetworkTest.cpp
    LIBS zeb_engine
    FIXTURES)
