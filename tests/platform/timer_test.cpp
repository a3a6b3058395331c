#include <cstdint>

#include "gtest/gtest.h"
#include "platform/timer.h"

namespace {

std::int64_t fake_frequency = 0;
std::int64_t fake_counter = 0;
std::uint32_t fake_milliseconds = 0;

bool query_fake_frequency(std::int64_t& counts_per_second) {
  counts_per_second = fake_frequency;
  return fake_frequency != 0;
}
std::int64_t read_fake_counter() {
  return fake_counter;
}
std::uint32_t read_fake_milliseconds() {
  return fake_milliseconds;
}

const ClockSource fake_clock = {query_fake_frequency, read_fake_counter, read_fake_milliseconds};

FrameTimer started_timer() {
  FrameTimer timer;
  timer.source = &fake_clock;
  timer.init();
  return timer;
}

}  // namespace

TEST(FrameTimer, MillisecondClockReadsSlightlyMoreThanTheMillisecondsCounted) {
  fake_frequency = 0;
  fake_milliseconds = 5000;
  const FrameTimer timer = started_timer();
  EXPECT_FALSE(timer.uses_counter);
  EXPECT_EQ(timer.counts_per_second, 1000);
  EXPECT_EQ(static_cast<double>(timer.seconds_per_count), 0.001000000047497451305389404296875);
  EXPECT_EQ(timer.elapsed_ms(), 0.0);
  fake_milliseconds = 6000;
  EXPECT_EQ(timer.elapsed_ms(), 1000.0000474974513);
  fake_milliseconds = 5000 + 168500;
  EXPECT_EQ(timer.elapsed_ms(), 168500.00800332054);
}

TEST(FrameTimer, MillisecondClockWrapStillGivesTheTrueInterval) {
  fake_frequency = 0;
  fake_milliseconds = 0xFFFFFF00u;
  const FrameTimer timer = started_timer();
  fake_milliseconds = 0x00000100u;  // 512 ms later, past the wrap
  EXPECT_EQ(timer.elapsed_ms(), 512 * 1.0000000474974513);
  EXPECT_GT(timer.elapsed_ms(), 0.0);
}

TEST(FrameTimer, CounterAtTenMegahertzReadsItsFloatRoundedTick) {
  fake_frequency = 10'000'000;
  fake_counter = 123'456'789;
  const FrameTimer timer = started_timer();
  EXPECT_TRUE(timer.uses_counter);
  EXPECT_EQ(timer.elapsed_ms(), 0.0);
  fake_counter += 10'000'000;
  EXPECT_EQ(timer.elapsed_ms(), 1000.0000116860974);
}

TEST(FrameTimer, SystemClockStartsNearZeroAndNeverGoesBack) {
  FrameTimer timer;
  timer.init();
  double last = timer.elapsed_ms();
  EXPECT_GE(last, 0.0);
  EXPECT_LT(last, 50.0);
  for (int i = 0; i < 1000; ++i) {
    const double now = timer.elapsed_ms();
    ASSERT_GE(now, last);
    last = now;
  }
}
