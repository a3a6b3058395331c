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
if(NOT TARGET swirlbeam_wav)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tools/wav ${CMAKE_BINARY_DIR}/tools/wav)
endif()
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

# Each program needs no DLL beside it but Windows' own, and the show opens no console.
add_test(NAME windows_exe_imports COMMAND bash ${tests}/windows/exe_imports.sh ${CMAKE_OBJDUMP} 2
  $<TARGET_FILE:swirlbeam>)
