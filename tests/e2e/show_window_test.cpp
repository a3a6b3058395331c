// The real program's window on the test's X server, driven with xdotool as a user would.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"
#include "support/x_server.h"
#include "ui/dialog_template.h"

namespace {

constexpr double appear_seconds = 20;

// The show's icon in both sizes and its class, as panels and docks read them.
::testing::AssertionResult marked_as_the_show(XWindow window) {
  const std::string text =
      run_process({"/usr/bin/xprop", "-id", std::to_string(window), "WM_CLASS", "_NET_WM_ICON"},
                  ProcessOptions{})
          .out;
  if (text.find("WM_CLASS(STRING) = \"swirlbeam\", \"swirlbeam\"") != std::string::npos &&
      text.find("Icon (32 x 32)") != std::string::npos &&
      text.find("Icon (16 x 16)") != std::string::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << text.substr(0, 300);
}

class ShowWindow : public ::testing::Test, protected ShowProgram {
 protected:
  void SetUp() override {
    if (!display_available()) GTEST_SKIP() << "needs an X display";
  }

  bool stderr_has(const std::string& text) { return stderr_text().find(text) != std::string::npos; }
  // Full screen at 640 x 480, which Xvfb lacks: its dialog on the screen and focused.
  bool focus_the_dialog_asking_full_screen() {
    configure(true, 640, 480);
    start();
    const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", appear_seconds);
    if (dialog != 0) xdotool({"windowfocus", "--sync", std::to_string(dialog)});
    return dialog != 0;
  }
  // Until it is answered the box is a window of this process titled "Swirlbeam" too.
  void wait_for_answer() {
    for (int i = 0; i < appear_seconds * 20 && !stderr_has("answered"); ++i) ::usleep(50 * 1000);
  }
};

}  // namespace

TEST_F(ShowWindow, EscapeEndsTheShowAtOnce) {
  configure(false, 320, 240);
  start();
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text();
  type_keys(window, {"Escape"});
  const ProcessResult r = finish();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_status, 0) << r.err;
}

TEST_F(ShowWindow, ClosingTheWindowEndsTheShowWithCodeZero) {
  configure(false, 400, 300);
  start();
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text();
  const WindowGeometry g = window_geometry(window);
  EXPECT_EQ(g.width, 400);
  EXPECT_EQ(g.height, 300);
  ASSERT_TRUE(send_close_request(window));
  const ProcessResult r = finish();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_status, 0) << r.err;
}

TEST_F(ShowWindow, RefusedFullScreenAnsweredYesPlaysInAWindow) {
  const WindowGeometry screen = root_geometry();
  configure(true, 640, 480);  // Xvfb offers only its own screen size
  start();
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds)) << stderr_text();
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << stderr_text();
  press_key_in(question, "Return");  // Yes is the default
  wait_for_answer();
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text();
  const WindowGeometry g = window_geometry(window);
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  ::kill(pid, SIGTERM);
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.err.find("The requested fullscreen mode is not supported by your video card."),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("answered Yes"), std::string::npos) << r.err;
  // The file was written before the window: it still asks for full screen.
  EXPECT_EQ(read_bytes(dir.file("config.dat"))[0], 1);
  EXPECT_EQ(root_geometry().width, screen.width);
}

// Return held a moment in the dialog, as a slow finger or a repeating key does: the press that
// started the show must not also answer the question that follows, unseen.
TEST_F(ShowWindow, AHeldReturnLeavesTheFullScreenQuestionToThePlayer) {
  ASSERT_TRUE(focus_the_dialog_asking_full_screen()) << stderr_text();
  // Through the keyboard (XTEST): only there is a key held, as the box sees it. Past the
  // auto-repeat delay (660 ms on Xvfb), the repeats reach the box.
  xdotool({"keydown", "Return", "sleep", "1.2", "keyup", "Return"});
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << stderr_text();
  ::usleep(500 * 1000);
  EXPECT_FALSE(stderr_has("answered")) << stderr_text();
  EXPECT_TRUE(window_geometry(question).viewable);
  press_key_in(question, "Return");  // a press the box saw: Yes
  wait_for_answer();
  ASSERT_NE(wait_for_show_window(pid, appear_seconds), 0u) << stderr_text();
  ::kill(pid, SIGTERM);
  EXPECT_EQ(finish().exit_status, 0);
  EXPECT_TRUE(stderr_has("answered Yes")) << stderr_text();
}

// Return let go while another window had the focus (a window manager still placing the box): the
// box never hears of the release, and the player's next press must still answer it.
TEST_F(ShowWindow, AReturnLetGoOutsideTheBoxLeavesItsNextPressToThePlayer) {
  ASSERT_TRUE(focus_the_dialog_asking_full_screen()) << stderr_text();
  xdotool({"keydown", "Return"});
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << stderr_text();
  // The root's focus would still give the key to the box under the pointer.
  xdotool({"mousemove", "0", "0"});
  const std::string root = xdotool({"search", "--maxdepth", "0", ""});
  xdotool({"windowfocus", "--sync", root.substr(0, root.find('\n'))});
  xdotool({"keyup", "Return"});
  xdotool({"windowfocus", "--sync", std::to_string(question)});
  press_key_in(question, "Return");
  wait_for_answer();
  EXPECT_TRUE(stderr_has("answered Yes")) << stderr_text();
  ::kill(pid, SIGTERM);
  EXPECT_EQ(finish().exit_status, 0) << stderr_text();
}

TEST_F(ShowWindow, RefusedFullScreenAnsweredNoClosesTheProgram) {
  configure(true, 640, 480);
  start();
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds)) << stderr_text();
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << stderr_text();
  press_key_in(question, "Escape");  // No
  // Then "Program will now close." waits for its OK, in a box of its own.
  for (int i = 0; i < 100 && !stderr_has("Program will now close."); ++i) ::usleep(50000);
  const XWindow notice = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(notice, 0u) << stderr_text();
  press_key_in(notice, "Return");
  const ProcessResult r = finish();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.err.find("Swirlbeam: Program will now close."), std::string::npos) << r.err;
  EXPECT_EQ(find_window_of_process(pid, 0), 0u);
}

// As a native box: Tab moves the focus from Yes to No, and Return presses the focused button.
TEST_F(ShowWindow, DialogAndBoxesCarryTheShowsIconAndClassAndTabThenReturnMeansNo) {
  configure(true, 640, 480);
  start();
  const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", appear_seconds);
  ASSERT_NE(dialog, 0u) << stderr_text();
  EXPECT_TRUE(marked_as_the_show(dialog));
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds)) << stderr_text();
  const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(question, 0u) << stderr_text();
  EXPECT_TRUE(marked_as_the_show(question));
  press_key_in(question, "Tab");
  press_key_in(question, "Return");
  for (int i = 0; i < 100 && !stderr_has("Program will now close."); ++i) ::usleep(50000);
  const XWindow notice = find_top_level_titled("Swirlbeam", appear_seconds);
  ASSERT_NE(notice, 0u) << stderr_text();
  EXPECT_TRUE(marked_as_the_show(notice));
  press_key_in(notice, "Return");
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.err.find("answered No"), std::string::npos) << r.err;
}

TEST_F(ShowWindow, OfferedFullScreenCoversTheScreenAndGivesItBack) {
  const WindowGeometry screen = root_geometry();
  configure(true, screen.width, screen.height);
  start();
  const XWindow window = wait_for_show_window(pid, appear_seconds);
  ASSERT_NE(window, 0u) << stderr_text();
  const WindowGeometry g = window_geometry(window);
  EXPECT_EQ(g.width, screen.width);
  EXPECT_EQ(g.height, screen.height);
  type_keys(window, {"Escape"});
  const ProcessResult r = finish();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err.find("fullscreen mode is not"), std::string::npos) << r.err;
  EXPECT_EQ(root_geometry().width, screen.width);
  EXPECT_EQ(root_geometry().height, screen.height);
}

// The error box comes after shutdown: the show's window is gone and the box still shows.
TEST_F(ShowWindow, BadPictureShowsItsErrorBoxAfterTheWindowIsGone) {
  configure(false, 320, 240);
  write_bytes(dir.file("texture.jpg"), {'n', 'o', 't'});
  start();
  ASSERT_TRUE(press_start_in_settings_dialog(appear_seconds)) << stderr_text();
  const XWindow box = find_top_level_titled("Error", appear_seconds);
  ASSERT_NE(box, 0u) << stderr_text();
  EXPECT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Swirlbeam$"}), "");  // no show window
  press_key_in(box, "Return");                                                   // OK
  const ProcessResult r = finish();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_status, 255);
  EXPECT_NE(r.err.find("Error: load_jpeg(): Unable to load a texture from a JPEG file!"),
            std::string::npos)
      << r.err;
}

namespace {

// A 4K screen as GNOME, KDE and Xfce set it up at 200 % for X11 programs: the Xft.dpi resource.
class ScaledDesktop : public ::testing::Test, protected ShowProgram {
 protected:
  void SetUp() override {
    // Without -noreset the server forgets the resource when xrdb hangs up.
    server = std::make_unique<XServer>(std::vector<std::string>{
        "/usr/bin/Xvfb", "-screen", "0", "3840x2160x24", "-noreset", "-nolisten", "tcp"});
    ASSERT_FALSE(server->display().empty());
    if (const char* old = std::getenv("DISPLAY")) old_display = old;
    ::setenv("DISPLAY", server->display().c_str(), 1);
  }
  void TearDown() override {
    stop();
    server.reset();
    old_display.empty() ? ::unsetenv("DISPLAY") : ::setenv("DISPLAY", old_display.c_str(), 1);
  }

  // The dialog on the media of tests/ui/dialog_screenshot.sh, saved as that takes it; then full
  // screen at 640 x 480 picked with keys, the question (the screen lacks it), Yes, and the show
  // in a window. The dialog's, the question's and the window's sizes, in that order.
  std::vector<WindowGeometry> play(const std::string& resources, const std::string& picture) {
    std::ofstream(server->file("resources")) << resources;
    run_process({"/usr/bin/xrdb", "-nocpp", "-load", server->file("resources")}, {});
    write_fixture_media(dir.path(), true);
    start();
    const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", appear_seconds);
    xdotool({"windowfocus", "--sync", std::to_string(dialog)});
    ::usleep(500 * 1000);
    run_process({"/usr/bin/import", "-window", std::to_string(dialog), picture}, {});
    std::vector<WindowGeometry> sizes{window_geometry(dialog)};
    type_keys(dialog, {"6", "alt+w"});  // 640x480, not windowed
    press_start_in_settings_dialog(appear_seconds);
    const XWindow question = find_top_level_titled("Swirlbeam", appear_seconds);
    sizes.push_back(window_geometry(question));
    press_key_in(question, "Return");  // Yes
    // Until it goes the box is a window of this process titled "Swirlbeam" too.
    for (int i = 0; i < 400 && window_geometry(question).viewable; ++i) ::usleep(50 * 1000);
    sizes.push_back(window_geometry(wait_for_show_window(pid, appear_seconds)));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(finish().exit_status, 0) << stderr_text();
    return sizes;
  }

  // The dialog as it opens at this Xft.dpi: rows of RGB pixels, empty when it never came.
  std::vector<std::vector<unsigned char>> dialog_pixels(int dpi) {
    std::ofstream(server->file("resources")) << "Xft.dpi: " << dpi << "\n";
    run_process({"/usr/bin/xrdb", "-nocpp", "-load", server->file("resources")}, {});
    write_fixture_media(dir.path(), false);
    start();
    const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", appear_seconds);
    xdotool({"windowfocus", "--sync", std::to_string(dialog)});
    ::usleep(500 * 1000);
    const std::string file = dir.file("dialog.ppm");
    run_process({"/usr/bin/import", "-window", std::to_string(dialog), "-depth", "8", file}, {});
    ::kill(pid, SIGTERM);
    EXPECT_EQ(finish().exit_status, 0) << stderr_text();
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    std::vector<std::vector<unsigned char>> rows(
        std::max(height, 0), std::vector<unsigned char>(std::max(width, 0) * 3));
    for (auto& row : rows) in.read(reinterpret_cast<char*>(row.data()), row.size());
    return magic == "P6" && in ? rows : decltype(rows){};
  }

  std::unique_ptr<XServer> server;
  std::string old_display;
};

// The first control of this kind (and caption, if given), in pixels.
PixelRect placed(ControlKind kind, const std::string& caption, float scale) {
  for (const DialogControl& c : dialog_controls) {
    if (c.kind == kind && (caption.empty() || (c.caption && caption == c.caption))) {
      return to_pixels(c.x, c.y, c.width, c.height, scale);
    }
  }
  return {};
}

// Pixels from (x, y) on, along (dx, dy), of the colour at (x, y).
int run_of(const std::vector<std::vector<unsigned char>>& rows, int x, int y, int dx, int dy) {
  const auto colour = [&rows](int px, int py) {
    return std::vector<unsigned char>(&rows[py][px * 3], &rows[py][px * 3 + 3]);
  };
  int count = 0;
  for (const auto first = colour(x, y);
       y < static_cast<int>(rows.size()) && x < static_cast<int>(rows[y].size() / 3) &&
       colour(x, y) == first;
       x += dx, y += dy) {
    ++count;
  }
  return count;
}

// Pixels of two pictures that differ, as ImageMagick counts them; -1 when it could not compare.
long differing_pixels(const std::string& a, const std::string& b) {
  const std::string err = run_process({"/usr/bin/compare", "-metric", "AE", a, b, "null:"}, {}).err;
  char* end = nullptr;
  const long count = std::strtol(err.c_str(), &end, 10);
  return end == err.c_str() ? -1 : count;
}

}  // namespace

TEST_F(ScaledDesktop, At192DpiTheDialogTheBoxAndTheWindowAreTwiceTheSizeTheyHaveAt96) {
  const auto designed = play("", dir.file("96.png"));  // no Xft.dpi: as at 96 dpi
  const auto scaled = play("Xft.dpi: 192\n", dir.file("192.png"));
  EXPECT_EQ(differing_pixels(SWIRLBEAM_DOCS "/dialog.png", dir.file("96.png")), 0);
  EXPECT_EQ(designed[2].width, 640);
  EXPECT_EQ(scaled[2].width, 1280);
  EXPECT_EQ(scaled[2].height, 960);
  // The box is measured round its text, which font hinting makes a little more or less than
  // twice as wide.
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(scaled[i].width / static_cast<double>(designed[i].width), 2, 0.05) << i;
    EXPECT_NEAR(scaled[i].height / static_cast<double>(designed[i].height), 2, 0.05) << i;
  }
  // What was picked is stored, not the window's size.
  const std::vector<unsigned char> stored = read_bytes(dir.file("config.dat"));
  Settings picked;
  decode_settings(stored.data(), stored.size(), picked);
  EXPECT_EQ(picked.width, 640);
  EXPECT_EQ(picked.fullscreen, 1);
}

TEST_F(ScaledDesktop, AtThreeAndFourTimesFramesBoxesAndTheTickHaveLinesAsWideAsTheScale) {
  for (const int k : {3, 4}) {
    SCOPED_TRACE(k);
    const auto rows = dialog_pixels(96 * k);
    ASSERT_FALSE(rows.empty());
    // A group box's left side: its dark line. The picture's sunken edge: grey, then black.
    const PixelRect group = placed(ControlKind::group_box, "Resolution", k);
    EXPECT_EQ(run_of(rows, group.x, group.y + group.height / 2, 1, 0), k);
    const PixelRect picture = placed(ControlKind::picture, "", k);
    EXPECT_EQ(run_of(rows, picture.x + k, picture.y + 40 * k, 1, 0), k);
    // Windowed, ticked: the margin before its box, the box's grey and black lines, and the tick
    // down the box's middle, three lines thick.
    const PixelRect check = placed(ControlKind::check_box, "&Windowed", k);
    const int side = 12 * k, middle = check.y + check.height / 2;
    const int margin = run_of(rows, check.x, middle, 1, 0);
    EXPECT_EQ(margin, 2 * k);
    EXPECT_EQ(run_of(rows, check.x + margin, middle, 1, 0), k);
    EXPECT_EQ(run_of(rows, check.x + margin + k, middle, 1, 0), k);
    const int top = check.y + (check.height - side) / 2, centre = check.x + margin + side / 2;
    const int field = run_of(rows, centre, top + 2 * k, 0, 1);
    EXPECT_EQ(run_of(rows, centre, top + 2 * k + field, 0, 1), 3 * k);
    // An empty radio box: two shades, then its black edge.
    const PixelRect radio = placed(ControlKind::radio_button, "&16 bpp", k);
    EXPECT_NEAR(run_of(rows, radio.x + margin + 2 * k, radio.y + radio.height / 2, 1, 0), k, 1);
  }
}
