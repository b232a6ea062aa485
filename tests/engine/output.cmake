# Output (WAV file, sound device) and mixer volume.
zeb_add_gtest(engine_output_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/WavWriterTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WaveOutTest.cpp
    LIBS zeb_engine)
zeb_add_gtest(engine_mixer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerVolumeTest.cpp
    LIBS zeb_engine)

# Tests of the sound device and the system mixer need a sound server: each
# program runs whole under a private PulseAudio with a null sink.
function(zeb_add_sound_server_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE zeb_engine GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${name}
        COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sound_server_test.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

zeb_add_sound_server_test(engine_output_device_test ${CMAKE_CURRENT_LIST_DIR}/WaveOutDeviceTest.cpp)
zeb_add_sound_server_test(engine_mixer_alsa_test ${CMAKE_CURRENT_LIST_DIR}/MixerAlsaTest.cpp)
