// What holds before main runs: its own executable, so that nothing else has touched the state.
#include "app/effects.h"
#include "core/rng.h"
#include "gtest/gtest.h"

TEST(ProgramLoad, BackgroundAngleIsTheFirstDrawOfTheUnseededGenerator) {
  EXPECT_EQ(effects.background_angle, 0.44920194f);
  EXPECT_EQ(rng_state(), 1u * 214013u + 2531011u);  // exactly one draw so far
  EXPECT_EQ(effects.stage, 0);
  EXPECT_EQ(effects.flash_alpha, 1.0f);
  EXPECT_EQ(effects.logo_z, -5.0f);
}
