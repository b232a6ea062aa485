# Output (WAV file, sound device) and mixer volume.
zeb_add_gtest(engine_output_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/WavWriterTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WaveOutTest.cpp
    LIBS zeb_engine)
zeb_add_gtest(engine_mixer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MixerVolumeTest.cpp
    LIBS zeb_engine)

zeb_add_sound_server_test(engine_output_device_test ${CMAKE_CURRENT_LIST_DIR}/WaveOutDeviceTest.cpp)
zeb_add_sound_server_test(engine_mixer_alsa_test ${CMAKE_CURRENT_LIST_DIR}/MixerAlsaTest.cpp)
