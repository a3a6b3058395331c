# The tests of what only Windows does (tests/windows/), run under Wine through the toolchain
# file's emulator.
find_package(GTest REQUIRED CONFIG)
include(GoogleTest)
enable_testing()
add_executable(settings_write_windows_test ${PROJECT_SOURCE_DIR}/tests/windows/settings_write_test.cpp)
target_link_libraries(settings_write_windows_test PRIVATE swirlbeam_core GTest::gtest_main)
gtest_discover_tests(settings_write_windows_test DISCOVERY_MODE PRE_TEST)

# The zip as a person uses it, on an X server under Wine; the target windows-zip makes it.
add_test(NAME windows_zip_e2e COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/zip_e2e.sh
  ${swirlbeam_windows_zip} ${SWIRLBEAM_WINEPREFIX})

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

# Each program needs no DLL beside it but Windows' own; the show opens no console, the capture
# tool is one.
add_test(NAME windows_exe_imports COMMAND bash ${tests}/windows/exe_imports.sh ${CMAKE_OBJDUMP} 2
  $<TARGET_FILE:swirlbeam>)
add_test(NAME windows_capture_exe_imports COMMAND bash ${tests}/windows/exe_imports.sh
  ${CMAKE_OBJDUMP} 3 $<TARGET_FILE:swirlbeam-capture>)

# swirlbeam-capture.exe against the Linux build's swirlbeam-capture (scripts/windows.sh passes its
# folder): the same pictures, trace and soundtrack. Skipped without it.
set(SWIRLBEAM_LINUX_BUILD "" CACHE PATH "The Linux build, whose swirlbeam-capture the Windows one is compared with")
# No Windows ffmpeg is at hand: a double stands in for it, to check what the pipes carry.
add_executable(ffmpeg_double ${PROJECT_SOURCE_DIR}/tests/windows/ffmpeg_double.cpp)
target_link_libraries(ffmpeg_double PRIVATE shell32)
add_test(NAME windows_capture_matches_linux
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/capture_compare.sh
    $<TARGET_FILE:swirlbeam-capture> "${SWIRLBEAM_LINUX_BUILD}" "${SWIRLBEAM_MEDIA}"
    ${SWIRLBEAM_WINEPREFIX} $<TARGET_FILE:ffmpeg_double>)
set_tests_properties(windows_capture_matches_linux PROPERTIES SKIP_RETURN_CODE 77)
