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
