// The whole program on a Wayland desktop: weston (its X11 back end, on an Xvfb of its own), through
// XWayland, as SDL2 and FLTK run there by default, and on SDL's native Wayland back end.
#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <regex>
#include <string>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"

namespace {

constexpr double appear_seconds = 30;
constexpr const char* desktop = "1024x768";  // weston's output

std::string size_of(const WindowGeometry& g) {
  return std::to_string(g.width) + "x" + std::to_string(g.height);
}

// The last match of a pattern's first group in a text; empty when none.
std::string last_match(const std::string& text, const std::string& pattern) {
  std::string found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it) {
    found = (*it)[1];
  }
  return found;
}

// Display guards left behind: this process is their subreaper, so they are ours. Reaps the ended.
int guards_left() {
  int left = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
    std::string line;
    std::getline(std::ifstream(std::string("/proc/") + entry->d_name + "/stat"), line);
    std::smatch m;
    if (!std::regex_search(line, m, std::regex("^(\\d+) \\(swirlbeam-displ\\) (\\S) (\\d+)")) ||
        std::stoi(m[3]) != ::getpid()) {
      continue;
    }
    if (m[2] == "Z")
      ::waitpid(std::stoi(m[1]), nullptr, 0);
    else
      ++left;
  }
  if (proc != nullptr) ::closedir(proc);
  return left;
}

class Wayland : public ::testing::Test, protected ShowProgram {
 protected:
  // One Xvfb, weston and XWayland for the file's cases.
  static void SetUpTestSuite() {
    if (::access("/usr/bin/weston", X_OK) != 0 || ::access("/usr/bin/Xvfb", X_OK) != 0) {
      skip_reason = "needs weston and Xvfb";
      return;
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    servers = std::make_unique<TempDir>();  // 0700: weston's XDG_RUNTIME_DIR
    xvfb_pid =
        start_process({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                       "-noreset", "-nolisten", "tcp"},
                      ProcessOptions{}, servers->file("xvfb.out"), servers->file("xvfb.err"));
    for (int i = 0; i < 400 && outer_display.empty(); ++i, ::usleep(50000)) {
      const std::string n = read_text(servers->file("xvfb.out"));
      if (n.find('\n') != std::string::npos) outer_display = ":" + n.substr(0, n.find('\n'));
    }
    socket = "swirlbeam-test-" + std::to_string(::getpid());
    ProcessOptions options;
    options.env = {{"DISPLAY", outer_display}, {"XDG_RUNTIME_DIR", servers->path()}};
    weston_pid =
        start_process({"/usr/bin/weston", "--backend=x11-backend.so", "--socket=" + socket,
                       "--idle-time=0", "--xwayland", "--use-pixman", "--width=1024",
                       "--height=768", "--no-config", "--log=" + servers->file("weston.log")},
                      options, servers->file("weston.out"), servers->file("weston.err"));
    for (int i = 0; i < 400 && (xwayland.empty() || weston_window.empty()); ++i, ::usleep(50000)) {
      const std::string log = read_text(servers->file("weston.log"));
      xwayland = last_match(log, "xserver listening on display (:\\d+)");
      weston_window = last_match(log, "x11 output \\d+x\\d+, window id (\\d+)");
    }
    if (xwayland.empty() || weston_window.empty() || ::access(socket_path().c_str(), F_OK) != 0) {
      skip_reason = "weston did not start: " + read_text(servers->file("weston.log")) +
                    read_text(servers->file("weston.err"));
      return;
    }
    // Focused once: weston passes each later change of the outer focus on to its own surfaces.
    outer_xdotool({"windowfocus", "--sync", weston_window});
    if (const char* old = std::getenv("DISPLAY")) old_display = old;
    ::setenv("DISPLAY", xwayland.c_str(), 1);  // for the X11 helpers
  }
  static void TearDownTestSuite() {
    for (const int pid : {weston_pid, xvfb_pid}) {
      if (pid <= 0) continue;
      ::kill(pid, SIGTERM);
      wait_process(pid, 10);
    }
    old_display.empty() ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", old_display.c_str(), 1);
    servers.reset();
  }
  static std::string socket_path() { return servers->file(socket); }

  void SetUp() override {
    if (!skip_reason.empty()) GTEST_SKIP() << skip_reason;
  }

  // The program as a Wayland session starts it: both displays known, SDL's choice of back end.
  void start(bool fullscreen, bool native, int width = 640, int height = 480) {
    configure(fullscreen, width, height);
    ProcessOptions options;
    options.env = {{"SDL_AUDIODRIVER", "dummy"},
                   {"WAYLAND_DISPLAY", socket},
                   {"XDG_RUNTIME_DIR", servers->path()},
                   {"SDL_VIDEODRIVER", std::nullopt}};
    if (native) {
      options.env["SDL_VIDEODRIVER"] = "wayland";
      options.env["WAYLAND_DEBUG"] = "client";  // the protocol on stderr: the window's sizes
    }
    ShowProgram::start(options);
  }

  ProcessResult finish() {
    const ProcessResult r = ShowProgram::finish();
    EXPECT_FALSE(r.timed_out);
    return r;
  }

  // xdotool on the outer X server, where weston's window takes the keys for its focused surface.
  static void outer_xdotool(const std::vector<std::string>& args) {
    ProcessOptions options;
    options.env["DISPLAY"] = outer_display;
    std::vector<std::string> argv = {"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    run_process(argv, options);
  }

  static inline std::string skip_reason, outer_display, old_display, socket, xwayland,
      weston_window;
  static inline std::unique_ptr<TempDir> servers;
  static inline int xvfb_pid = -1, weston_pid = -1;
};

// Windowed, and full screen at a size XWayland emulates for the show alone.
enum class Screen { windowed, full };
std::string screen_name(Screen screen) {
  const char* names[] = {"Windowed", "FullScreen"};
  return names[static_cast<int>(screen)];
}
class ThroughXWayland : public Wayland, public ::testing::WithParamInterface<Screen> {};

}  // namespace

TEST_P(ThroughXWayland, ReturnInTheDialogPlaysTheShowAndEscapeEndsIt) {
  if (::access("/usr/bin/Xwayland", X_OK) != 0) GTEST_SKIP() << "needs Xwayland";
  const Screen screen = GetParam();
  const std::string before = size_of(root_geometry());
  ASSERT_EQ(before, desktop);
  start(screen == Screen::full, false);
  const XWindow window = wait_for_show_window(pid, appear_seconds);  // Return in the dialog
  ASSERT_NE(window, 0u) << read_text(dir.file("err.txt"));
  // weston's window manager gives a full-screen window the whole output, whatever the mode.
  WindowGeometry g = window_geometry(window);
  for (int i = 0; i < 40 && screen == Screen::full && size_of(g) != desktop; ++i, ::usleep(50000)) {
    g = window_geometry(window);
  }
  EXPECT_TRUE(g.viewable);
  EXPECT_EQ(size_of(g), screen == Screen::full ? desktop : "640x480");
  EXPECT_EQ(guards_left(), screen == Screen::full ? 1 : 0);  // a switch, so a guard
  ::usleep(1000000);
  EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the show ended by itself";
  type_keys(window, {"Escape"});
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  const std::string after = size_of(root_geometry());
  EXPECT_EQ(after, desktop);
  EXPECT_EQ(r.err.find("fullscreen mode is not supported"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("not guarded"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("swirlbeam-display-guard:"), std::string::npos) << r.err;
  int left = guards_left();
  for (int i = 0; i < 100 && left > 0; ++i, ::usleep(50000)) left = guards_left();
  EXPECT_EQ(left, 0);
  std::cout << "XWayland " << screen_name(screen) << ": window " << size_of(g) << ", exit "
            << r.exit_status << ", desktop " << before << " before, " << after << " after\n";
}

INSTANTIATE_TEST_SUITE_P(Each, ThroughXWayland, ::testing::Values(Screen::windowed, Screen::full),
                         [](const auto& info) { return screen_name(info.param); });

namespace {

enum class Ending { escape, sigterm };
class NativeWayland : public Wayland,
                      public ::testing::WithParamInterface<std::tuple<bool, Ending>> {};

}  // namespace

TEST_P(NativeWayland, PlaysAndEndsCleanly) {
  const auto [fullscreen, ending] = GetParam();
  const std::string before = size_of(root_geometry());
  start(fullscreen, true);
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds)) << read_text(dir.file("err.txt"));
  // Playing: a stream of frames committed to the show's surface, which has the keyboard (a key
  // sent before then goes to the closing dialog).
  const std::regex frame("wl_surface@\\d+\\.attach");
  std::string err;
  for (int i = 0; i < appear_seconds * 10; ++i, ::usleep(100000)) {
    err = read_text(dir.file("err.txt"));
    const auto frames =
        std::distance(std::sregex_iterator(err.begin(), err.end(), frame), std::sregex_iterator());
    const bool focused = std::regex_search(err, std::regex("wl_keyboard@\\d+\\.enter\\("));
    if ((frames >= 10 && focused) || ::waitpid(pid, nullptr, WNOHANG) != 0) break;
  }
  const std::string window =
      last_match(err, "xdg_surface@\\d+\\.set_window_geometry\\(0, 0, (\\d+, \\d+)\\)");
  const std::string source = last_match(err, "wp_viewport@\\d+\\.set_source\\(([^)]*)\\)");
  EXPECT_EQ(window, fullscreen ? "1024, 768" : "640, 480") << err;
  if (fullscreen) {
    // 640 x 480 scaled to the whole output, which keeps its mode.
    EXPECT_EQ(source, "0.00000000, 0.00000000, 640.00000000, 480.00000000");
    EXPECT_NE(err.find("set_fullscreen("), std::string::npos);
  }
  EXPECT_EQ(err.find("fullscreen mode is not supported"), std::string::npos) << err;
  if (ending == Ending::escape)
    outer_xdotool({"key", "Escape"});
  else
    ::kill(pid, SIGTERM);
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0) << r.err.substr(r.err.size() > 4000 ? r.err.size() - 4000 : 0);
  const std::string after = size_of(root_geometry());
  EXPECT_EQ(after, before);
  std::cout << "native Wayland " << (fullscreen ? "full screen" : "windowed") << ", "
            << (ending == Ending::escape ? "Escape" : "SIGTERM") << ": window " << window
            << (source.empty() ? "" : " from a viewport of " + source) << ", exit " << r.exit_status
            << ", desktop " << before << " before, " << after << " after\n";
}

INSTANTIATE_TEST_SUITE_P(Each, NativeWayland,
                         ::testing::Combine(::testing::Values(false, true),
                                            ::testing::Values(Ending::escape, Ending::sigterm)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "FullScreen" : "Windowed") +
                                  (std::get<1>(info.param) == Ending::escape ? "Escape"
                                                                             : "SIGTERM");
                         });
