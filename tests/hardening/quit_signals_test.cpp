// Ctrl+C (SIGINT), SIGTERM and a closed terminal (SIGHUP) in each phase: the settings dialog, the
// full-screen question, the loading of the pictures, the show. Each ends the program in order
// with code 0, quietly, and config.dat holds the old bytes or the new 15.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/jpeg_fixtures.h"
#include "support/show_program.h"
#include "support/x11_driver.h"

namespace {

constexpr int quit_signals[] = {SIGINT, SIGTERM, SIGHUP};

class QuitSignal : public ::testing::TestWithParam<int>, protected ShowProgram {
 protected:
  void SetUp() override {
    Settings s;  // differs from what the fixture wrote, so that a save would show
    s.width = 320;
    s.height = 240;
    s.dither = 1;
    write_settings(dir.file("config.dat"), s);
    config_before = read_bytes(dir.file("config.dat"));
  }

  // Sends the signal and checks the quiet, orderly end.
  ProcessResult signal_and_finish(double seconds = 20) {
    ::kill(pid, GetParam());
    const ProcessResult r = finish(seconds);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_FALSE(has(r.err, "Error")) << r.err;
    EXPECT_FALSE(sanitizer_report(r.err)) << r.err;
    return r;
  }

  std::vector<unsigned char> config_before;
};

ino_t inode_of(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST_P(QuitSignal, InTheSettingsDialogLeavesTheFileAsItWas) {
  if (!display_available()) GTEST_SKIP() << "needs an X display";
  start();
  ASSERT_NE(find_window_named("^Swirlbeam - Configuration$", 20), 0u) << stderr_text();
  signal_and_finish();
  EXPECT_EQ(read_bytes(dir.file("config.dat")), config_before);
}

// The box closes as its close box would: No, and then no "Program will now close." box to wait on.
TEST_P(QuitSignal, InTheFullScreenQuestionClosesItAsNo) {
  if (!display_available()) GTEST_SKIP() << "needs an X display";
  Settings s;
  s.fullscreen = 1;  // at 400x300: Xvfb offers only its own screen size
  write_settings(dir.file("config.dat"), s);
  config_before = read_bytes(dir.file("config.dat"));
  start();
  ASSERT_TRUE(press_start_in_settings_dialog(20)) << stderr_text();
  const XWindow question = find_top_level_titled("Swirlbeam", 20);
  ASSERT_NE(question, 0u) << stderr_text();
  const ProcessResult r = signal_and_finish(5);
  EXPECT_TRUE(has(r.err, "swirlbeam: answered No")) << r.err;
  EXPECT_FALSE(window_geometry(question).viewable);  // nothing left behind, no box either
  EXPECT_EQ(read_bytes(dir.file("config.dat")), config_before);  // saved before the question
}

TEST_P(QuitSignal, WhileThePicturesLoadEndsBeforeTheShow) {
  // A large picture keeps the scene set-up busy for a good while after the settings are saved.
  TestPicture big{4096, 4096, std::vector<std::uint8_t>(4096u * 4096u * 3, 128)};
  write_bytes(dir.file("smoke.jpg"), encode_jpeg(big));
  const ino_t old_file = inode_of(dir.file("config.dat"));
  start(headless(dir));
  // The save replaces the file just before the window and the pictures.
  for (int i = 0; i < 1000 && inode_of(dir.file("config.dat")) == old_file; ++i) ::usleep(5000);
  ASSERT_NE(inode_of(dir.file("config.dat")), old_file);
  signal_and_finish();
  EXPECT_EQ(read_bytes(dir.file("config.dat")), config_before);  // same settings, saved in full
}

TEST_P(QuitSignal, DuringTheShowEndsItInOrder) {
  start(headless(dir));
  ::usleep(static_cast<useconds_t>(show_seconds * 1e6));
  signal_and_finish();
  EXPECT_EQ(read_bytes(dir.file("config.dat")), config_before);
}

INSTANTIATE_TEST_SUITE_P(EachSignal, QuitSignal, ::testing::ValuesIn(quit_signals),
                         [](const auto& info) {
                           return info.param == SIGINT    ? std::string("SIGINT")
                                  : info.param == SIGTERM ? std::string("SIGTERM")
                                                          : std::string("SIGHUP");
                         });
