# Network sources against real HTTP and FTP servers that the test starts on
# 127.0.0.1. A proxy from the environment must not take loopback requests.
zeb_add_gtest(engine_url_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/UrlSourceTest.cpp
    LIBS zeb_engine
    ENV no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
    FIXTURES)
