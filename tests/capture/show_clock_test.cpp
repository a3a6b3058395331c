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
