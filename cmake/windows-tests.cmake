# The tests of what only Windows does (tests/windows/), run under Wine through the toolchain
# file's emulator. Some hold the Windows programs to the Linux build's (scripts/windows.sh passes
# its folder), and are skipped without it.
set(SWIRLBEAM_LINUX_BUILD "" CACHE PATH
  "The Linux build, whose capture and sound-check tools the Windows tests compare with")
find_package(GTest REQUIRED CONFIG)
include(GoogleTest)
enable_testing()
add_executable(settings_write_windows_test
  ${PROJECT_SOURCE_DIR}/tests/windows/settings_write_test.cpp)
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
add_test(NAME windows_sound_e2e COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/sound_e2e.sh
  ${swirlbeam_windows_zip} ${SWIRLBEAM_WINEPREFIX}
  ${SWIRLBEAM_LINUX_BUILD}/tools/capture/swirlbeam-capture
  ${SWIRLBEAM_LINUX_BUILD}/tools/sound_check/swirlbeam-sound-check ${SWIRLBEAM_MEDIA})
set_tests_properties(windows_sound_e2e PROPERTIES RESOURCE_LOCK wine_prefix RUN_SERIAL TRUE
  SKIP_RETURN_CODE 77)

# The unit tests of the show's logic, which need neither Linux nor a display: one program, run
# whole, as Wine takes seconds to start each program.
set(tests ${PROJECT_SOURCE_DIR}/tests)
add_executable(logic_windows_test ${tests}/core/rng_test.cpp ${tests}/app/timeline_test.cpp
  ${tests}/app/main_loop_test.cpp ${tests}/app/effects_test.cpp ${tests}/support/recording_sound.cpp
  ${tests}/comets/comet_pool_test.cpp ${tests}/comets/comet_motion_test.cpp
  ${tests}/replay/show_clock_test.cpp ${tests}/replay/trace_writer_test.cpp
  ${tests}/ui/dialog_model_test.cpp ${tests}/support/temp_dir.cpp)
target_include_directories(logic_windows_test PRIVATE ${tests})
target_link_libraries(logic_windows_test PRIVATE swirlbeam_replay swirlbeam_dialog
  GTest::gtest_main)
add_test(NAME logic_windows_test COMMAND logic_windows_test)
set_tests_properties(logic_windows_test PROPERTIES RESOURCE_LOCK wine_prefix)

# The sound on SDL_mixer and libopenmpt as Windows builds them, on a stand-in output and clock.
add_executable(sound_windows_test ${tests}/platform/sound_test.cpp
  ${tests}/platform/sound_recording_test.cpp ${tests}/platform/sound_recovery_test.cpp
  ${tests}/platform/timer_test.cpp ${tests}/support/temp_dir.cpp ${tests}/support/fixtures.cpp
  ${tests}/support/jpeg_fixtures.cpp)
target_include_directories(sound_windows_test PRIVATE ${tests})
target_link_libraries(sound_windows_test PRIVATE swirlbeam_replay swirlbeam_wav GTest::gtest_main)
# Less one case, which reads the output's file while it plays: SDL's disk driver on Windows holds
# it open for no one else.
add_test(NAME sound_windows_test COMMAND sound_windows_test
  --gtest_filter=-SoundOutput.MusicVolumeDrivenBelowZeroIsExactSilence)
set_tests_properties(sound_windows_test PROPERTIES RESOURCE_LOCK wine_prefix)

# Each program needs no DLL beside it but Windows' own; the show opens no console, the capture
# tool is one.
add_test(NAME windows_exe_imports COMMAND bash ${tests}/windows/exe_imports.sh ${CMAKE_OBJDUMP} 2
  $<TARGET_FILE:swirlbeam>)
add_test(NAME windows_capture_exe_imports COMMAND bash ${tests}/windows/exe_imports.sh
  ${CMAKE_OBJDUMP} 3 $<TARGET_FILE:swirlbeam-capture>)

# swirlbeam-capture.exe against the Linux build's swirlbeam-capture: the same pictures, trace and
# soundtrack.
# No Windows ffmpeg is at hand: a double stands in for it, to check what the pipes carry.
add_executable(ffmpeg_double ${PROJECT_SOURCE_DIR}/tests/windows/ffmpeg_double.cpp)
target_link_libraries(ffmpeg_double PRIVATE shell32)
add_test(NAME windows_capture_matches_linux
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/capture_compare.sh
    $<TARGET_FILE:swirlbeam-capture> "${SWIRLBEAM_LINUX_BUILD}" "${SWIRLBEAM_MEDIA}"
    ${SWIRLBEAM_WINEPREFIX} $<TARGET_FILE:ffmpeg_double>)
set_tests_properties(windows_capture_matches_linux PROPERTIES SKIP_RETURN_CODE 77
  RESOURCE_LOCK wine_prefix)
