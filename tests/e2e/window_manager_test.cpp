// The show under a real window manager (openbox) on a server of its own: Xvfb, and Xorg with the
// dummy driver, which really switches modes. The dialog, the show in a window and Escape; and the
// dialog asked to go full screen, Start! clicked where its controls are, and the show full screen
// on the primary monitor. And a scaled desktop whose window must fit with openbox's frame round it.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"
#include "support/x_server.h"
#include "ui/dialog_template.h"

namespace {

enum class Server { xvfb, xorg };

constexpr const char* openbox = "/usr/bin/openbox";
constexpr const char* dialog_name = "^Swirlbeam - Configuration$";
constexpr double appear_seconds = 30;

// Each monitor's line as XRandR writes it: its mode and place.
std::string screen_modes() {
  std::istringstream text(run_process({"/usr/bin/xrandr", "--current"}, ProcessOptions{}).out);
  std::string monitors;
  for (std::string line; std::getline(text, line);) {
    if (line.find(" connected") != std::string::npos) monitors += line + "\n";
  }
  return monitors;
}

class UnderWindowManager : public ::testing::TestWithParam<Server>, protected ShowProgram {
 protected:
  void SetUp() override {
    const bool xorg = GetParam() == Server::xorg;
    const char* server_program = xorg ? "/usr/bin/Xorg" : "/usr/bin/Xvfb";
    if (::access(openbox, X_OK) != 0 || ::access(server_program, X_OK) != 0) {
      GTEST_SKIP() << "needs openbox and " << server_program;
    }
    if (xorg &&
        (::geteuid() != 0 || ::access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0)) {
      GTEST_SKIP() << "needs root and the dummy driver for Xorg";
    }
    server = std::make_unique<XServer>(
        xorg ? std::vector<std::string>{server_program, "-noreset", "-nolisten", "tcp", "-config",
                                        SWIRLBEAM_XORG_CONFIG, "-logfile", logs.file("xorg.log")}
             : std::vector<std::string>{server_program, "-screen", "0", "1280x1024x24", "-nolisten",
                                        "tcp"});
    ASSERT_FALSE(server->display().empty());
    if (const char* old = std::getenv("DISPLAY")) old_display = old;
    ::setenv("DISPLAY", server->display().c_str(), 1);
    ASSERT_TRUE(server->start_window_manager(openbox)) << read_text(server->file("wm.err"));
  }
  void TearDown() override {
    stop();
    server.reset();
    old_display.empty() ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", old_display.c_str(), 1);
  }

  void start(bool fullscreen, int width, int height) {
    configure(fullscreen, width, height);
    ShowProgram::start();
  }

  TempDir logs;
  std::unique_ptr<XServer> server;
  std::string old_display;
};

}  // namespace

TEST_P(UnderWindowManager, DialogThenTheShowInAWindowThenEscape) {
  start(false, 640, 480);
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text() << shown_windows();
  const WindowGeometry g = window_geometry(window);
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  type_keys(window, {"Escape"});
  EXPECT_EQ(finish().exit_status, 0);
}

TEST_P(UnderWindowManager, TheDialogAskedToGoFullScreenKeepsItsControlsThenTheShowIsFullScreen) {
  // Xvfb's one mode, or a real switch of the primary monitor on Xorg.
  const bool xorg = GetParam() == Server::xorg;
  const int width = xorg ? 640 : 1280, height = xorg ? 480 : 1024;
  const std::string desktop = screen_modes();
  start(true, width, height);
  const XWindow dialog = find_window_named(dialog_name, appear_seconds);
  ASSERT_NE(dialog, 0u) << stderr_text();
  // openbox takes the dialog's fixed size at its word; a window manager that enlarges it anyway
  // gets the controls in the middle.
  ASSERT_TRUE(request_full_screen(dialog));
  ::usleep(500000);
  WindowGeometry g = window_geometry(dialog);
  // The middle of Start!, where the controls sit once centred in the enlarged dialog.
  const PixelRect all = to_pixels(0, 0, dialog_width_units, dialog_height_units);
  const PixelRect start_button = to_pixels(10, 80, 35, 15);
  const int x = (g.width - all.width) / 2 + start_button.x + start_button.width / 2;
  const int y = (g.height - all.height) / 2 + start_button.y + start_button.height / 2;
  xdotool({"mousemove", "--window", std::to_string(dialog), std::to_string(x), std::to_string(y),
           "click", "1"});
  const XWindow window = find_window_of_process(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text();
  for (int i = 0; i < 100 && window_geometry(window).width != width; ++i) ::usleep(50000);
  g = window_geometry(window);
  EXPECT_EQ(g.x, 0);
  EXPECT_EQ(g.y, 0);
  EXPECT_EQ(g.width, width);
  EXPECT_EQ(g.height, height);
  if (xorg) {
    EXPECT_NE(screen_modes().find("DUMMY0 connected primary 640x480+0+0"), std::string::npos);
  }
  type_keys(window, {"Escape"});
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err.find("fullscreen mode is not"), std::string::npos) << r.err;
  EXPECT_EQ(screen_modes(), desktop);
}

INSTANTIATE_TEST_SUITE_P(On, UnderWindowManager, ::testing::Values(Server::xvfb, Server::xorg),
                         [](const ::testing::TestParamInfo<Server>& info) {
                           return info.param == Server::xorg ? "XorgDummy" : "Xvfb";
                         });

namespace {

// Title bar and borders as the window manager states them: left, right, top, bottom.
std::vector<int> frame_extents(XWindow window) {
  const std::string text =
      run_x_query({"/usr/bin/xprop", "-id", std::to_string(window), "_NET_FRAME_EXTENTS"}).out;
  std::vector<int> sides(4, -1);
  const std::size_t values = text.find('=');
  if (values == std::string::npos || std::sscanf(text.c_str() + values + 1, "%d, %d, %d, %d",
                                                 &sides[0], &sides[1], &sides[2], &sides[3]) != 4) {
    return {};
  }
  return sides;
}

// A 1080p laptop at 150 % (Xft.dpi 144) under openbox, where 1024 x 768 scaled to the screen's
// height would leave the frame's bottom below it.
class ScaledUnderWindowManager : public ::testing::Test, protected ShowProgram {
 protected:
  void SetUp() override {
    if (::access(openbox, X_OK) != 0) GTEST_SKIP() << "needs openbox";
    // Without -noreset the server forgets the resource when xrdb hangs up.
    server = std::make_unique<XServer>(std::vector<std::string>{
        "/usr/bin/Xvfb", "-screen", "0", "1920x1080x24", "-noreset", "-nolisten", "tcp"});
    ASSERT_FALSE(server->display().empty());
    if (const char* old = std::getenv("DISPLAY")) old_display = old;
    ::setenv("DISPLAY", server->display().c_str(), 1);
    std::ofstream(server->file("resources")) << "Xft.dpi: 144\n";
    run_process({"/usr/bin/xrdb", "-nocpp", "-load", server->file("resources")}, {});
    ASSERT_TRUE(server->start_window_manager(openbox)) << read_text(server->file("wm.err"));
  }
  void TearDown() override {
    stop();
    server.reset();
    old_display.empty() ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", old_display.c_str(), 1);
  }

  std::unique_ptr<XServer> server;
  std::string old_display;
};

}  // namespace

TEST_F(ScaledUnderWindowManager, TheWindowAndItsFrameFitTheScreenInFourThirds) {
  configure(false, 1024, 768);
  start();
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text() << shown_windows();
  const std::vector<int> frame = frame_extents(window);
  ASSERT_EQ(frame.size(), 4u);
  const int left = frame[0], right = frame[1], top = frame[2], bottom = frame[3];
  EXPECT_GT(top, 0);  // a real title bar, or nothing here is tested
  const WindowGeometry g = window_geometry(window);
  EXPECT_GE(g.x - left, 0);
  EXPECT_GE(g.y - top, 0);
  EXPECT_LE(g.x + g.width + right, 1920);
  EXPECT_LE(g.y + g.height + bottom, 1080);
  // As large as the screen leaves room for: the frame fills its height.
  EXPECT_EQ(g.height, 1080 - top - bottom);
  EXPECT_NEAR(g.width, g.height * 4 / 3.0, 1);
  type_keys(window, {"Escape"});
  EXPECT_EQ(finish().exit_status, 0) << stderr_text();
}
