// The show started headless by the capture tool: the option's seed stands in for the calendar.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "comets/comet.h"
#include "core/rng.h"
#include "gtest/gtest.h"
#include "replay/show_session.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

class StartedShow : public ::testing::Test {
 protected:
  void SetUp() override {
    write_fixture_media(dir.path(), false);
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_TRUE(load_show_sound("show_session_test"));
  }
  void TearDown() override {
    close_show();
    ASSERT_EQ(chdir(previous), 0);
  }

  TempDir dir;
  char previous[4096];
};

TEST_F(StartedShow, SetUpDrawsTwentyOneNumbersFromTheOptionsSeed) {
  ASSERT_TRUE(create_session_window({64, 48, 987654321u, false}));
  std::uint32_t expected = 987654321u;
  for (int i = 0; i < 21; ++i) expected = expected * 214013u + 2531011u;
  EXPECT_EQ(rng_state(), expected);
  EXPECT_EQ(comet_count, 3);
}

// llvmpipe reads it when the context is made; other drivers never.
TEST_F(StartedShow, SoftwareRasteriserGetsAThreadMoreThanCoresUnlessTheUserChose) {
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  if (cores < 2) GTEST_SKIP() << "one core: left to Mesa";
  unsetenv("LP_NUM_THREADS");
  ASSERT_TRUE(create_session_window({64, 48, 1, false}));
  EXPECT_STREQ(getenv("LP_NUM_THREADS"), std::to_string(cores + 1).c_str());
  close_show();
  ASSERT_TRUE(load_show_sound("show_session_test"));
  setenv("LP_NUM_THREADS", "1", 1);
  ASSERT_TRUE(create_session_window({64, 48, 1, false}));
  EXPECT_STREQ(getenv("LP_NUM_THREADS"), "1");
  unsetenv("LP_NUM_THREADS");
}
