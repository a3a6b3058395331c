// The show's window on a real X server (Xvfb) with Mesa's OpenGL.
#include <GL/gl.h>
#include <SDL.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <functional>

#include "app/keys.h"
#include "app/show_window.h"
#include "core/settings.h"
#include "gtest/gtest.h"
#include "platform/desktop/display_guard.h"
#include "platform/desktop/icon.h"
#include "platform/display_scale.h"
#include "platform/window.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"

namespace {

// Pumps the window's events until `done` holds or two seconds pass.
bool pump_until(const std::function<bool()>& done) {
  int code = -1;
  for (int i = 0; i < 200; ++i) {
    pump_messages(code);
    if (done()) return true;
    SDL_Delay(10);
  }
  return false;
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display_available()) GTEST_SKIP() << "needs an X display";
    write_fixture_media(media.path(), false);
    ASSERT_EQ(::chdir(media.path().c_str()), 0);
    settings = Settings{};
    for (bool& key : keys) key = false;
    active = true;
  }
  void TearDown() override { shutdown(); }

  XWindow open(int width, int height, int color_bits = 32) {
    EXPECT_TRUE(create_window("Swirlbeam", width, height, color_bits, false));
    return x_window_of_current_context();
  }

  TempDir media;
};

}  // namespace

TEST_F(Window, ClientAreaIsExactlyTheRequestedSizeAtTheTopLeft) {
  const int sizes[][2] = {{320, 240}, {400, 300}, {640, 480}, {800, 600}, {1024, 768}};
  for (const auto& size : sizes) {
    const XWindow window = open(size[0], size[1]);
    ASSERT_NE(window, 0u);
    const WindowGeometry g = window_geometry(window);
    EXPECT_EQ(g.width, size[0]);
    EXPECT_EQ(g.height, size[1]);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_TRUE(g.viewable);
    EXPECT_EQ(g.name, "Swirlbeam");
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], size[0]);
    EXPECT_EQ(viewport[3], size[1]);
    shutdown();
  }
}

TEST_F(Window, ContextIsDoubleBufferedWithDepthAndTheRequestedColours) {
  for (const int bits : {16, 24, 32}) {
    ASSERT_NE(open(320, 240, bits), 0u);
    GLboolean double_buffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &double_buffered);
    EXPECT_TRUE(double_buffered);
    GLint depth = 0, red = 0, green = 0, blue = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    EXPECT_GE(depth, 16);
    EXPECT_GE(red, bits == 16 ? 5 : 8);
    EXPECT_GE(green, bits == 16 ? 6 : 8);
    EXPECT_GE(blue, bits == 16 ? 5 : 8);
    shutdown();
  }
}

TEST_F(Window, TheViewportIsTheWholeDrawableWhateverItsShape) {
  ASSERT_NE(open(640, 480), 0u);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  resize_view(1000, 200);
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1000);
  EXPECT_EQ(viewport[3], 200);
  resize_view(300, 0);  // a zero height is taken as one pixel
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 1);
  EXPECT_EQ(current_view().height, 1);
}

TEST_F(Window, KeysAreRecordedByTheirVirtualKeyCodes) {
  const XWindow window = open(320, 240);
  ASSERT_NE(window, 0u);
  const std::pair<const char*, int> presses[] = {
      {"Escape", 27}, {"Return", 13}, {"space", 32}, {"a", 65},   {"z", 90},
      {"5", 53},      {"Left", 37},   {"Down", 40},  {"F1", 112}, {"F12", 123}};
  for (const auto& [name, code] : presses) {
    key_down(window, name);
    EXPECT_TRUE(pump_until([&] { return keys[code]; })) << name;
    key_up(window, name);
    EXPECT_TRUE(pump_until([&] { return !keys[code]; })) << name;
  }
}

TEST_F(Window, ATapBetweenTwoFramesIsSeenForOneFrame) {
  const XWindow window = open(320, 240);
  ASSERT_NE(window, 0u);
  type_keys(window, {"Escape"});  // press and release before the next pump
  SDL_Delay(300);
  int code = -1;
  pump_messages(code);
  EXPECT_TRUE(keys[27]);
  pump_messages(code);
  EXPECT_FALSE(keys[27]);
}

TEST_F(Window, KeysPressedWithAltAreNotRecorded) {
  const XWindow window = open(320, 240);
  ASSERT_NE(window, 0u);
  key_down(window, "alt+b");
  key_up(window, "alt+b");
  key_down(window, "c");  // a plain key after it shows the events have arrived
  EXPECT_TRUE(pump_until([] { return keys['C']; }));
  EXPECT_FALSE(keys['B']);
  key_up(window, "c");
}

TEST_F(Window, MinimisingMakesTheShowInactiveAndLosingFocusDoesNot) {
  ASSERT_NE(open(320, 240), 0u);
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&event);
  int code = -1;
  EXPECT_TRUE(pump_messages(code));
  EXPECT_TRUE(active);
  event.window.event = SDL_WINDOWEVENT_MINIMIZED;
  SDL_PushEvent(&event);
  EXPECT_TRUE(pump_messages(code));
  EXPECT_FALSE(active);
  event.window.event = SDL_WINDOWEVENT_RESTORED;
  SDL_PushEvent(&event);
  EXPECT_TRUE(pump_messages(code));
  EXPECT_TRUE(active);
}

TEST_F(Window, CloseRequestPostsQuitWithCodeZeroAndKeepsTheWindow) {
  const XWindow window = open(320, 240);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(send_close_request(window));
  int code = -1;
  bool quit = false;
  for (int i = 0; i < 200 && !quit; ++i) {
    quit = !pump_messages(code);
    SDL_Delay(10);
  }
  EXPECT_TRUE(quit);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(window_geometry(window).viewable);  // destroyed only by shutdown
}

TEST_F(Window, CarriesTheIconInBothSizesAndKeepsTheScreenSaverOff) {
  const XWindow window = open(320, 240);
  ASSERT_NE(window, 0u);
  const std::string icon =
      run_process({"/usr/bin/xprop", "-id", std::to_string(window), "WM_CLASS", "_NET_WM_ICON"},
                  ProcessOptions{})
          .out;
  EXPECT_NE(icon.find("WM_CLASS(STRING) = \"swirlbeam\", \"swirlbeam\""), std::string::npos);
  EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
  EXPECT_NE(icon.find("Icon (16 x 16)"), std::string::npos);
  EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

// On a 200 % desktop a window gets twice the chosen size and draws at it; full screen does not.
TEST_F(Window, AScaledWindowIsMadeAndDrawnLargerAndFullScreenIsNot) {
  const WindowGeometry screen = root_geometry();
  for (const bool full : {false, true}) {
    const WindowSize chosen = full ? WindowSize{screen.width, screen.height} : WindowSize{320, 240};
    ASSERT_TRUE(open_window("Swirlbeam", chosen.width, chosen.height, 32, full, 2).ready);
    const WindowGeometry g = window_geometry(x_window_of_current_context());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const WindowSize expected = full ? chosen : WindowSize{640, 480};
    EXPECT_EQ(g.width, expected.width);
    EXPECT_EQ(g.height, expected.height);
    EXPECT_EQ(viewport[2], expected.width);
    EXPECT_EQ(viewport[3], expected.height);
    shutdown();
  }
}

TEST(WindowScale, XftDpiGivesTheScaleAndAnythingElseTheDesignedSize) {
  EXPECT_EQ(scale_for_dpi("192"), 2.0f);
  EXPECT_EQ(scale_for_dpi("120.0 "), 1.25f);
  EXPECT_EQ(scale_for_dpi("100000"), 4.0f);
  for (const char* designed : {"96", "72", "", "192dpi", "-192", "1,5e2"}) {
    EXPECT_EQ(scale_for_dpi(designed), 1.0f) << designed;
  }
  EXPECT_EQ(scale_for_dpi(nullptr), 1.0f);
}

TEST(WindowScale, AScaledWindowKeepsFourThirdsAndFitsTheMonitorButNeverShrinks) {
  for (const float scale : {1.25f, 1.5f, 1.75f, 2.0f}) {
    const WindowSize s = scaled_window_size({512, 384}, scale, {3840, 2160});
    EXPECT_EQ(s.width, 512 * scale);
    EXPECT_EQ(s.width * 3, s.height * 4) << scale;
  }
  EXPECT_EQ(scaled_window_size({1024, 768}, 2, {1920, 1080}).height, 1080);  // a 1080p laptop
  EXPECT_EQ(scaled_window_size({1024, 768}, 2, {800, 600}).width, 1024);
}

TEST(WindowScale, AFramedWindowFitsWithItsFrameAndTheSideThatLimitsIsFilled) {
  const FrameExtents openbox{1, 1, 32, 5};
  for (const float scale : {1.5f, 2.0f}) {  // 144 and 192 dpi on a 1080p screen
    const WindowSize s = scaled_window_size({1024, 768}, scale, {1920, 1080}, openbox);
    EXPECT_EQ(s.height, 1080 - 37) << scale;
    EXPECT_EQ(s.width, 1390) << scale;  // 4:3 of 1043, rounded down
  }
  // Narrow usable area: the width limits, frame and all.
  const WindowSize narrow = scaled_window_size({640, 480}, 3, {1280, 1024}, {4, 4, 20, 4});
  EXPECT_EQ(narrow.width, 1272);
  EXPECT_EQ(narrow.height, 954);
  // Room to spare: the frame changes nothing; the designed size never shrinks, frame or not.
  EXPECT_EQ(scaled_window_size({640, 480}, 2, {3840, 2160}, openbox).height, 960);
  EXPECT_EQ(scaled_window_size({1024, 768}, 2, {1050, 800}, openbox).height, 768);
  EXPECT_EQ(scaled_window_size({1024, 768}, 1, {1024, 768}, openbox).height, 768);
}

TEST(Icon, MalformedPicturesGiveNoIcon) {
  const char* const good[] = {"2 1 2 1", "a c #FF0000", "b c #000000", "ab"};
  const IconImage image = parse_xpm(good, 4);
  ASSERT_EQ(image.width, 2);
  EXPECT_EQ(image.argb, (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF000000u}));

  const char* const unknown_colour[] = {"2 1 1 1", "a c #FF0000", "ax"};
  const char* const short_row[] = {"2 1 1 1", "a c #FF0000", "a"};
  const char* const missing_rows[] = {"2 2 1 1", "a c #FF0000", "aa"};
  EXPECT_EQ(parse_xpm(unknown_colour, 3).width, 0);
  EXPECT_EQ(parse_xpm(short_row, 3).width, 0);
  EXPECT_EQ(parse_xpm(missing_rows, 3).width, 0);
}

TEST(DisplayGuardDeathTest, ACrashStillDiesAsBefore) {
  EXPECT_EXIT(
      {
        guard_display_mode(nullptr);
        std::raise(SIGSEGV);
      },
      ::testing::KilledBySignal(SIGSEGV), "");
}

TEST(Shutdown, IsHarmlessBeforeAnyWindowAndTwice) {
  shutdown();
  shutdown();
  SUCCEED();  // under the sanitizers any misuse would have stopped the run
}

TEST(ShutdownDeathTest, AContextThatCannotBeMadeShutsDownCleanlyAndSaysSo) {
  EXPECT_EXIT(
      {
        ::unsetenv("DISPLAY");  // no box to block on: the message goes to stderr
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        SDL_InitSubSystem(SDL_INIT_VIDEO);  // starting video resets the context attributes
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 9);  // no such OpenGL
        const bool created = create_window("Swirlbeam", 320, 240, 32, false);
        shutdown();
        shutdown();
        std::exit(created ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "ERROR: Can't Create A GL Rendering Context\\.");
}
