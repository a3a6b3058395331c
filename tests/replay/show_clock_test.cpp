// The virtual clock: frame n reads n x 10 ms, so the stages begin at fixed frames.
#include "replay/show_clock.h"
#include "app/effects.h"
#include "app/timeline.h"
#include "gtest/gtest.h"

TEST(VirtualClock, StagesBeginAtFixedFramesAndTheShowHas16851) {
  EXPECT_EQ(virtual_now(5000), 50000.0f);
  EXPECT_EQ(show_frame_count(), 16851);
  const int expected[] = {5000, 7000, 9000, 12500, 13500, 15000, 15600, 16500, 16850};
  for (int stage = 1; stage <= last_stage; ++stage) {
    EXPECT_EQ(first_frame_of_stage(stage), expected[stage - 1]) << stage;
  }
}

// No comets and no sound here: only the stage steps and effects run.
TEST(VirtualClock, SteppingEntersEachStageInItsFrameAndEndsWithTheLastOne) {
  effects = EffectState{};  // as a show starts, whatever ran before in this process
  int entered_at[last_stage + 1] = {};
  int frame = 0;
  for (; frame < 20000; ++frame) {
    const int before = effects.stage;
    const bool over = step_show(frame);
    if (effects.stage != before) entered_at[effects.stage] = frame;
    if (over) break;
  }
  EXPECT_EQ(frame, 16850);
  for (int stage = 1; stage <= last_stage; ++stage) {
    EXPECT_EQ(entered_at[stage], first_frame_of_stage(stage)) << stage;
  }
}

// A display shows the newest show frame done by its own frame's time, never an older one, and
// goes on until it shows the last one.
TEST(DisplayRates, EachFrameShowsTheLastShowFrameDoneByItsTimeAndTheShowEndsOnItsLast) {
  const int last_step = show_frame_count() - 1;
  for (const int fps : {24, 37, 50, 60, 100}) {
    const int count = display_frame_count(fps);
    int previous = -1;
    for (int n = 0; n < count; ++n) {
      const int step = step_shown_at(n, fps);
      ASSERT_GT(step, previous) << fps << " fps, frame " << n;
      ASSERT_LE(step * fps, n * frames_per_second) << fps << " fps, frame " << n;  // done by then
      if (step < last_step) {
        ASSERT_GT((step + 1) * fps, n * frames_per_second) << fps << " fps, frame " << n;
      }
      ASSERT_EQ(display_frame_showing(step, fps), n) << fps << " fps, frame " << n;
      previous = step;
    }
    EXPECT_EQ(previous, last_step) << fps;
    EXPECT_LT(step_shown_at(count - 2, fps), last_step) << fps;
    EXPECT_EQ(step_shown_at(count, fps), last_step) << fps;  // nothing after the end
  }
  EXPECT_EQ(display_frame_count(60), 10111);
  EXPECT_EQ(display_frame_count(100), show_frame_count());
  EXPECT_EQ(display_frame_showing(5002, 60), -1);  // between two display frames
  EXPECT_EQ(display_frame_showing(last_step + 1, 60), -1);
}
