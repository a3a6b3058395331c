// The show started headless by the capture tool: the option's seed stands in for the calendar.
#include <unistd.h>

#include <cstdlib>

#include "app/rng.h"
#include "comets/comet.h"
#include "gtest/gtest.h"
#include "replay/show_session.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

TEST(ShowSession, SetUpDrawsTwentyOneNumbersFromTheOptionsSeed) {
  TempDir dir;
  write_fixture_media(dir.path(), false);
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);

  ASSERT_TRUE(load_show_sound());
  ASSERT_TRUE(open_show_window({64, 48, 987654321u, false}));
  std::uint32_t expected = 987654321u;
  for (int i = 0; i < 21; ++i) expected = expected * 214013u + 2531011u;
  EXPECT_EQ(rng_state(), expected);
  EXPECT_EQ(comet_count, 3);
  close_show();
  ASSERT_EQ(chdir(previous), 0);
}
