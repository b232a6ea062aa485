# Frame header, frame search, Xing header, ring, length, position and seek;
# the decoder fed with the frames found.
zeb_add_gtest(engine_frame_reader_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/FrameHeaderTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FrameReaderTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FrameReaderSeekTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DecoderTest.cpp
    LIBS zeb_engine
    FIXTURES)
