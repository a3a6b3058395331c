# The tests of what only Windows does (tests/windows/), run under Wine through the toolchain
# file's emulator.
find_package(GTest REQUIRED CONFIG)
include(GoogleTest)
enable_testing()
add_executable(settings_write_windows_test ${PROJECT_SOURCE_DIR}/tests/windows/settings_write_test.cpp)
target_link_libraries(settings_write_windows_test PRIVATE swirlbeam_core GTest::gtest_main)
# Every test that starts Wine takes the prefix in turn: the end-to-end tests end the prefix's
# processes when they are done, and those of a test running beside them with them.
gtest_discover_tests(settings_write_windows_test DISCOVERY_MODE PRE_TEST
  PROPERTIES RESOURCE_LOCK wine_prefix)

# The zip as a person uses it, on an X server under Wine; the target windows-zip makes it.
add_test(NAME windows_zip_e2e COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/zip_e2e.sh
  ${swirlbeam_windows_zip} ${SWIRLBEAM_WINEPREFIX})
set_tests_properties(windows_zip_e2e PROPERTIES RESOURCE_LOCK wine_prefix)
# Full screen on the Xorg dummy server the desktop's tests switch modes on, a server of its own.
add_test(NAME windows_full_screen_e2e COMMAND bash
  ${PROJECT_SOURCE_DIR}/tests/windows/full_screen_e2e.sh ${swirlbeam_windows_zip}
  ${SWIRLBEAM_WINEPREFIX} ${PROJECT_SOURCE_DIR}/tests/e2e/xorg-dummy.conf)
set_tests_properties(windows_full_screen_e2e PROPERTIES RESOURCE_LOCK "wine_prefix;xorg_dummy"
  SKIP_RETURN_CODE 77)
# The show's sound through Wine into a PulseAudio of its own, held against the off-line soundtrack
# made by the desktop build's tools (that build made the default media too); alone, as on the
# desktop, since a loaded machine starves player and recorder alike.
cmake_path(GET SWIRLBEAM_MEDIA PARENT_PATH desktop_build)
set(SWIRLBEAM_DESKTOP_BUILD ${desktop_build} CACHE PATH
  "The desktop build whose swirlbeam-capture and swirlbeam-sound-check the sound test uses")
add_test(NAME windows_sound_e2e COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/sound_e2e.sh
  ${swirlbeam_windows_zip} ${SWIRLBEAM_WINEPREFIX}
  ${SWIRLBEAM_DESKTOP_BUILD}/tools/capture/swirlbeam-capture
  ${SWIRLBEAM_DESKTOP_BUILD}/tools/sound_check/swirlbeam-sound-check ${SWIRLBEAM_MEDIA})
set_tests_properties(windows_sound_e2e PROPERTIES RESOURCE_LOCK wine_prefix RUN_SERIAL TRUE
  SKIP_RETURN_CODE 77)

# The unit tests of the show's logic, which need neither Linux nor a display: one program, run
# whole, as Wine takes seconds to start each program.
set(tests ${PROJECT_SOURCE_DIR}/tests)
add_executable(logic_windows_test ${tests}/core/rng_test.cpp ${tests}/app/timeline_test.cpp
  ${tests}/app/main_loop_test.cpp ${tests}/app/effects_test.cpp ${tests}/support/recording_sound.cpp)
target_include_directories(logic_windows_test PRIVATE ${tests})
target_link_libraries(logic_windows_test PRIVATE swirlbeam_show GTest::gtest_main)
add_test(NAME logic_windows_test COMMAND logic_windows_test)
set_tests_properties(logic_windows_test PROPERTIES RESOURCE_LOCK wine_prefix)
