// A display that lists the mode but will not switch to it when the window is shown: the same
// question as for a mode it lacks, and the pointer stays. Xvfb never refuses, so the check that
// the mode holds is replaced here, and so are the message boxes (the answer is the test's).
#include <SDL.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/show_window.h"
#include "gtest/gtest.h"
#include "platform/backend.h"
#include "platform/desktop/full_screen_check.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"

namespace {

std::vector<std::string> messages;
bool answer_yes = false;

}  // namespace

bool full_screen_holds(SDL_Window*, int, int) {
  return false;
}

void show_message(const char* text, const char*, MessageIcon) {
  messages.push_back(text);
}

bool ask_yes_no(const char* text, const char*) {
  messages.push_back(text);
  return answer_yes;
}

namespace {

constexpr const char* question =
    "The requested fullscreen mode is not\nsupported by your video card.\nUse the windowed mode "
    "instead?";

class RefusedSwitch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display_available()) GTEST_SKIP() << "needs an X display";
    write_fixture_media(media.path(), false);
    ASSERT_EQ(::chdir(media.path().c_str()), 0);
    messages.clear();
    screen = root_geometry();  // the one mode Xvfb lists
  }
  void TearDown() override { shutdown(); }

  TempDir media;
  WindowGeometry screen;
};

}  // namespace

TEST_F(RefusedSwitch, AnsweredYesPlaysInAWindowWithThePointer) {
  answer_yes = true;
  ASSERT_TRUE(create_window("Swirlbeam", screen.width, screen.height, 32, true));
  EXPECT_EQ(messages, std::vector<std::string>{question});
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  const WindowGeometry g = window_geometry(x_window_of_current_context());
  EXPECT_EQ(g.width, screen.width);
  EXPECT_EQ(g.height, screen.height);
}

TEST_F(RefusedSwitch, AnsweredNoSaysTheProgramWillCloseAndKeepsNothing) {
  answer_yes = false;
  EXPECT_FALSE(create_window("Swirlbeam", screen.width, screen.height, 32, true));
  EXPECT_EQ(messages, (std::vector<std::string>{question, "Program will now close."}));
  EXPECT_EQ(SDL_GL_GetCurrentWindow(), nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}
