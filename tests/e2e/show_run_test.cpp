// The whole show, played by the real program in a window in real time, as a user watches it.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Screenshot {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // top row first

  const unsigned char* at(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

Screenshot take_screenshot(XWindow window, const std::string& file) {
  const WindowGeometry g = window_geometry(window);
  ProcessOptions options;
  run_process({"/usr/bin/import", "-window", std::to_string(window), "-depth", "8", "rgb:" + file},
              options);
  return {g.width, g.height, read_bytes(file)};
}

bool lit_by_a_comet(const unsigned char* c) {
  return c[1] > 60 || c[2] > 60;
}

// Pixels below the centre, where only the background and the comets draw.
template <typename Count>
int count_below_centre(const Screenshot& shot, Count count) {
  int n = 0;
  for (int y = 130; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) n += count(shot.at(x, y)) ? 1 : 0;
  }
  return n;
}

}  // namespace

TEST(ShowRun, PlaysAllTenStagesAndEndsByItself) {
  if (!display_available()) GTEST_SKIP() << "needs an X display";
  ShowProgram show;
  show.start();
  const XWindow window = wait_for_show_window(show.pid, 30);
  const auto started = Clock::now();
  ASSERT_NE(window, 0u);

  // At 100 s the show is in stage 3: background, comets and the logo with its echoes.
  std::this_thread::sleep_until(started + std::chrono::seconds(100));
  const Screenshot shot = take_screenshot(window, show.dir.file("shot.rgb"));
  ASSERT_EQ(shot.rgb.size(), 320u * 240u * 3u);

  const int background = count_below_centre(
      shot, [](const unsigned char* c) { return c[0] > 20 && c[0] >= c[1] && c[0] >= c[2]; });
  EXPECT_GT(background, 320 * 110 / 2) << "the red smoke fills most of the picture";
  // The comets' seed is the calendar time, so they may all be above the centre at one moment:
  // look again a few times over the next seconds.
  int comet_light = count_below_centre(shot, lit_by_a_comet);
  for (int look = 1; look <= 5 && comet_light <= 10; ++look) {
    std::this_thread::sleep_until(started + std::chrono::seconds(100 + 2 * look));
    comet_light =
        count_below_centre(take_screenshot(window, show.dir.file("shot.rgb")), lit_by_a_comet);
  }
  EXPECT_GT(comet_light, 10) << "the green or blue comet shows";
  const unsigned char* logo_top = shot.at(160, 240 - 205);
  const unsigned char* logo_left = shot.at(100, 240 - 140);
  EXPECT_GT(logo_top[0], 200);
  EXPECT_GT(logo_left[1], 150);

  const ProcessResult r = show.finish(120);
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_GT(seconds, 166.0);
  EXPECT_LT(seconds, 175.0);
  std::printf("the show ran %.1f s from its window appearing to its end\n", seconds);
}
