// Full screen on an X server that really switches display modes (Xorg with the dummy driver, its
// own server for this file, with two monitors): each offered size is switched to on the primary
// monitor, and its desktop mode comes back however the show ends, with no guard process left
// behind and the other monitor as the user left it.
#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/show_window.h"
#include "gtest/gtest.h"
#include "platform/timer.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"
#include "support/x_server.h"

namespace {

constexpr const char* xorg = "/usr/bin/Xorg";
constexpr const char* dummy_driver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";
constexpr const char* desktop_mode = "1280x1024";
constexpr double appear_seconds = 30;
constexpr double back_seconds = 5;

// The mode of the screen's output, as XRandR reads it ("800x600"); empty when none.
std::string output_mode() {
  const std::string text = run_process({"/usr/bin/xrandr", "--current"}, ProcessOptions{}).out;
  std::smatch m;
  return std::regex_search(text, m, std::regex(" connected (?:primary )?(\\d+x\\d+)\\+"))
             ? m[1].str()
             : "";
}

// Each monitor as XRandR reads it: "DUMMY0 640x480+0+0 DUMMY1 off".
std::string monitors() {
  const std::string text = run_process({"/usr/bin/xrandr", "--current"}, ProcessOptions{}).out;
  const std::regex line(
      "(DUMMY[01]) (?:dis)?connected(?: primary)?(?: (\\d+x\\d+\\+\\d+\\+\\d+))?");
  std::string all;
  for (std::sregex_iterator m(text.begin(), text.end(), line), end; m != end; ++m) {
    all +=
        (all.empty() ? "" : " ") + (*m)[1].str() + " " + ((*m)[2].matched ? (*m)[2].str() : "off");
  }
  return all;
}

void xrandr(std::vector<std::string> args) {
  args.insert(args.begin(), "/usr/bin/xrandr");
  run_process(args, ProcessOptions{});
}

constexpr const char* side_by_side = "DUMMY0 1280x1024+0+0 DUMMY1 1024x768+1280+0";

void arrange_side_by_side() {
  xrandr({"--output", "DUMMY0", "--primary", "--mode", "1280x1024", "--pos", "0x0", "--output",
          "DUMMY1", "--mode", "1024x768", "--pos", "1280x0"});
}

bool mode_becomes(const std::string& mode, double seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (output_mode() == mode) return true;
    ::usleep(50000);
  }
  return output_mode() == mode;
}

// Guard processes whose launcher has left: this process is their subreaper, so they are ours.
std::vector<int> our_guards() {
  std::vector<int> pids;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    std::smatch m;
    if (std::regex_search(line, m, std::regex("^(\\d+) \\(swirlbeam-displ\\) \\S (\\d+)")) &&
        std::stoi(m[2]) == ::getpid()) {
      pids.push_back(std::stoi(m[1]));
    }
  }
  if (proc != nullptr) ::closedir(proc);
  return pids;
}

// Reaps our guards as they end; true once none is left.
bool no_guard_left(double seconds) {
  for (int i = 0; i <= seconds * 20; ++i) {
    for (const int pid : our_guards()) ::waitpid(pid, nullptr, WNOHANG);
    if (our_guards().empty()) return true;
    ::usleep(50000);
  }
  return false;
}

class RealSwitch : public ::testing::Test, protected ShowProgram {
 protected:
  static void SetUpTestSuite() {
    if (::access(xorg, X_OK) != 0 || ::access(dummy_driver, R_OK) != 0) {
      skip_reason = "needs Xorg and its dummy driver (xserver-xorg-core, xserver-xorg-video-dummy)";
    } else if (::geteuid() != 0) {
      skip_reason = "Xorg takes a configuration file from the tests only when run as root";
    }
    if (!skip_reason.empty()) return;
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    logs = std::make_unique<TempDir>();
    server = std::make_unique<XServer>(
        std::vector<std::string>{xorg, "-noreset", "-nolisten", "tcp", "-config",
                                 SWIRLBEAM_XORG_CONFIG, "-logfile", logs->file("xorg.log")});
    display = server->display();
    if (const char* old = std::getenv("DISPLAY")) old_display = old;
    ::setenv("DISPLAY", display.c_str(), 1);
  }
  static void TearDownTestSuite() {
    server.reset();
    old_display.empty() ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", old_display.c_str(), 1);
    logs.reset();
  }

  void SetUp() override {
    if (!skip_reason.empty()) GTEST_SKIP() << skip_reason;
    ASSERT_FALSE(display.empty()) << read_text(logs->file("xorg.log"));
    arrange_side_by_side();
    ASSERT_EQ(monitors(), side_by_side);
  }
  void TearDown() override {
    stop();
    no_guard_left(back_seconds);
  }

  // Starts the program set for full screen at this size.
  void launch(int width, int height) {
    configure(true, width, height);
    start();
  }
  // The show's window, once past the settings dialog.
  XWindow start_show(int width, int height) {
    launch(width, height);
    return wait_for_show_window(pid, appear_seconds);
  }

  ProcessResult finish() {
    ProcessResult r = ShowProgram::finish();
    EXPECT_FALSE(r.timed_out);
    return r;
  }

  static inline std::string skip_reason, display, old_display;
  static inline std::unique_ptr<TempDir> logs;
  static inline std::unique_ptr<XServer> server;
};

}  // namespace

TEST_F(RealSwitch, EachOfferedSizeIsSwitchedToAndEscapeGivesTheDesktopBack) {
  const int sizes[][2] = {{400, 300}, {640, 480}, {800, 600}, {1024, 768}};
  for (const auto& size : sizes) {
    const std::string mode = std::to_string(size[0]) + "x" + std::to_string(size[1]);
    SCOPED_TRACE(mode);
    const XWindow window = start_show(size[0], size[1]);
    ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
    EXPECT_TRUE(mode_becomes(mode, appear_seconds));
    EXPECT_EQ(our_guards().size(), 1u);
    type_keys(window, {"Escape"});
    const ProcessResult r = finish();
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(output_mode(), desktop_mode);  // given back by the show itself
    EXPECT_TRUE(no_guard_left(back_seconds));
  }
}

enum class Ending { sigterm, sigsegv, sigkill, xkill };

class RealSwitchEnding : public RealSwitch, public ::testing::WithParamInterface<Ending> {};

TEST_P(RealSwitchEnding, GivesTheDesktopModeBackAndLeavesNoGuard) {
  const XWindow window = start_show(640, 480);
  ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
  ASSERT_TRUE(mode_becomes("640x480", appear_seconds));
  EXPECT_EQ(our_guards().size(), 1u);
  switch (GetParam()) {
    case Ending::sigterm:
      ::kill(pid, SIGTERM);
      break;
    case Ending::sigsegv:
      ::kill(pid, SIGSEGV);
      break;
    case Ending::sigkill:
      ::kill(pid, SIGKILL);
      break;
    case Ending::xkill:
      run_process({"/usr/bin/xkill", "-id", std::to_string(window)}, ProcessOptions{});
      break;
  }
  const ProcessResult r = finish();
  EXPECT_TRUE(mode_becomes(desktop_mode, back_seconds)) << r.err;
  EXPECT_TRUE(no_guard_left(back_seconds));
}

namespace {

std::string ending_name(const ::testing::TestParamInfo<Ending>& info) {
  const char* names[] = {"SIGTERM", "SIGSEGV", "SIGKILL", "xkill"};
  return names[static_cast<int>(info.param)];
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Each, RealSwitchEnding,
                         ::testing::Values(Ending::sigterm, Ending::sigsegv, Ending::sigkill,
                                           Ending::xkill),
                         ending_name);

TEST_F(RealSwitch, TheEndOfTheShowGivesTheDesktopBack) {
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  ASSERT_TRUE(create_window("Swirlbeam", 800, 600, 32, true));
  EXPECT_TRUE(mode_becomes("800x600", back_seconds));
  FrameTimer timer;
  timer.init();
  // Every stage is already due: the loop enters one a frame and ends after the last, as the
  // 168.5 s show does.
  const float long_ago = static_cast<float>(timer.elapsed_ms()) - 200000.0f;
  EXPECT_EQ(run_main_loop(timer, long_ago, window_frame_io), 0);
  EXPECT_EQ(output_mode(), "800x600");
  shutdown();
  EXPECT_EQ(output_mode(), desktop_mode);
}

// The answer's two ways are the Xvfb tests'; here the point is that the box shows on a real
// server and nothing is switched.
TEST_F(RealSwitch, ASizeTheServerDoesNotOfferGetsTheQuestionAndNoSwitch) {
  launch(320, 240);
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds));
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << read_text(dir.file("err.txt"));
  EXPECT_EQ(output_mode(), desktop_mode);
  // Once a second until the box answers: a Return sent while the server was still mapping it
  // is lost, and until then the box is a window of this process titled "Swirlbeam" too.
  for (int i = 0; i < appear_seconds * 20 && stderr_text().find("answered") == std::string::npos;
       ++i) {
    if (i % 20 == 0) press_key_in(question, "Return");
    ::usleep(50 * 1000);
  }
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
  EXPECT_EQ(output_mode(), desktop_mode);
  EXPECT_TRUE(our_guards().empty());
  type_keys(window, {"Escape"});
  EXPECT_EQ(finish().exit_status, 0);
}

// Only the primary monitor is switched and guarded; what the user does to the other one during the
// show stays, whether the show ends itself or is killed.
TEST_F(RealSwitch, ASecondMonitorChangedOrTurnedOffDuringTheShowStaysAsTheUserSetIt) {
  const std::vector<std::string> changes[] = {{"--off"}, {"--mode", "800x600"}};
  for (const bool killed : {false, true}) {
    for (const auto& change : changes) {
      SCOPED_TRACE(change[0] + (killed ? ", SIGKILL" : ", Escape"));
      arrange_side_by_side();
      const XWindow window = start_show(640, 480);
      ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
      ASSERT_TRUE(mode_becomes("640x480", appear_seconds));
      EXPECT_EQ(monitors(), "DUMMY0 640x480+0+0 DUMMY1 1024x768+1280+0");
      std::vector<std::string> args = {"--output", "DUMMY1"};
      args.insert(args.end(), change.begin(), change.end());
      xrandr(args);
      if (killed) {
        ::kill(pid, SIGKILL);
      } else {
        type_keys(window, {"Escape"});
      }
      finish();
      EXPECT_TRUE(no_guard_left(back_seconds));
      EXPECT_EQ(monitors(), change[0] == "--off" ? "DUMMY0 1280x1024+0+0 DUMMY1 off"
                                                 : "DUMMY0 1280x1024+0+0 DUMMY1 800x600+1280+0");
    }
  }
}

// A laptop panel to the right of an external screen: the panel, the primary monitor, takes the
// show and is the one guarded.
TEST_F(RealSwitch, APrimaryMonitorAwayFromTheOriginGetsTheSwitchAndIsGuarded) {
  xrandr({"--output", "DUMMY1", "--pos", "0x0", "--output", "DUMMY0", "--pos", "1024x0"});
  ASSERT_EQ(monitors(), "DUMMY0 1280x1024+1024+0 DUMMY1 1024x768+0+0");
  launch(640, 480);
  const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", appear_seconds);
  ASSERT_NE(dialog, 0u) << read_text(dir.file("err.txt"));
  EXPECT_EQ(window_geometry(dialog).x, 1024 + (1280 - 303) / 2);  // centred on the primary
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
  EXPECT_TRUE(mode_becomes("640x480", appear_seconds));
  EXPECT_EQ(monitors(), "DUMMY0 640x480+1024+0 DUMMY1 1024x768+0+0");
  EXPECT_EQ(window_geometry(window).x, 1024);
  EXPECT_EQ(our_guards().size(), 1u);
  ::kill(pid, SIGKILL);
  finish();
  EXPECT_TRUE(no_guard_left(back_seconds));
  EXPECT_EQ(monitors(), "DUMMY0 1280x1024+1024+0 DUMMY1 1024x768+0+0");
}

// Two monitors of 1024x768 side by side: the primary lists 1280x1024 but cannot take it, as the
// screen would have to grow past the other monitor. After Yes nothing guards the windowed show, so
// a mode the user sets meanwhile stays.
TEST_F(RealSwitch, ARefusedSwitchAnsweredYesLeavesTheMonitorLitAndNoGuard) {
  xrandr({"--output", "DUMMY0", "--mode", "1024x768", "--output", "DUMMY1", "--pos", "1024x0"});
  ASSERT_EQ(monitors(), "DUMMY0 1024x768+0+0 DUMMY1 1024x768+1024+0");
  launch(1280, 1024);
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds));
  // The show's window, titled alike, is up before the question.
  for (int i = 0; i < appear_seconds * 20; ++i) {
    if (read_text(dir.file("err.txt")).find("windowed mode instead?") != std::string::npos) break;
    ::usleep(50000);
  }
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << read_text(dir.file("err.txt"));
  EXPECT_EQ(monitors(), "DUMMY0 1024x768+0+0 DUMMY1 1024x768+1024+0");
  press_key_in(question, "Return");
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
  EXPECT_TRUE(no_guard_left(back_seconds));
  xrandr({"--output", "DUMMY0", "--mode", "800x600"});
  type_keys(window, {"Escape"});
  EXPECT_EQ(finish().exit_status, 0);
  EXPECT_EQ(monitors(), "DUMMY0 800x600+0+0 DUMMY1 1024x768+1024+0");
}
