#include "core/rng.h"
#include "app/effects.h"
#include "gtest/gtest.h"

TEST(Rng, StateOneGivesTheKnownSequence) {
  rng_seed(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(rng_next(), value);
}

TEST(Rng, StateIsTheLinearCongruenceModuloTwoToThe32) {
  rng_seed(0xFFFFFFFFu);
  rng_next();
  EXPECT_EQ(rng_state(), 0xFFFFFFFFu * 214013u + 2531011u);
  rng_seed(1);
  rng_next();
  EXPECT_EQ(rng_state(), 2745024u);
}

TEST(Rng, ValuesStayWithin15Bits) {
  rng_seed(12345);
  for (int i = 0; i < 100000; ++i) {
    const int v = rng_next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, rng_max);
  }
}

TEST(Rng, BackgroundAngleAtLoadIsTheFirstUnseededDraw) {
  rng_seed(1);
  EXPECT_EQ(load_time_background_angle(), 0.44920194f);
}
