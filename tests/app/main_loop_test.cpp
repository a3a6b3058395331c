#include <algorithm>
#include <vector>

#include "app/effects.h"
#include "app/keys.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "gtest/gtest.h"
#include "platform/timer.h"
#include "support/recording_sound.h"

namespace {

// A clock that moves on by a fixed step at every reading, in microseconds.
std::int64_t now_us = 0;
std::int64_t step_us = 1000;

bool microsecond_frequency(std::int64_t& counts_per_second) {
  counts_per_second = 1'000'000;
  return true;
}
std::int64_t advancing_counter() {
  return now_us += step_us;
}
std::uint32_t unused_milliseconds() {
  return 0;
}
const ClockSource advancing_clock = {microsecond_frequency, advancing_counter, unused_milliseconds};

struct LoopRecord {
  std::vector<int> stage_drawn;
  std::vector<std::int64_t> presented_at_us;
  int pumps = 0;
  int quit_after_pumps = -1;  // -1: never
};
LoopRecord record;

bool fake_pump(int& quit_code) {
  ++record.pumps;
  if (record.pumps == record.quit_after_pumps) {
    quit_code = 0;
    return false;
  }
  return true;
}
void fake_draw() {
  record.stage_drawn.push_back(effects.stage);
}
void fake_present() {
  record.presented_at_us.push_back(now_us);
}

const FrameIo fake_io = {fake_pump, fake_draw, fake_present};

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    effects = EffectState{};
    record = LoopRecord{};
    now_us = 0;
    step_us = 1000;
    active = true;
    keys[key_escape] = false;
    clear_sound_calls();
    timer.source = &advancing_clock;
    timer.init();
  }
  FrameTimer timer;
};

}  // namespace

TEST_F(MainLoop, PlaysEveryStageAndEndsAfterTheFrameOfTheLastOne) {
  // One reading a frame, then pacing. A float tick is a hair under 1 us, so the reading at 10 ms
  // falls just short and pacing takes one more: frame k reads 0.5 + 11 k ms.
  step_us = 500;
  EXPECT_EQ(run_main_loop(timer, 0.0f, fake_io), 0);
  ASSERT_FALSE(record.stage_drawn.empty());
  EXPECT_EQ(record.stage_drawn.back(), 9);
  EXPECT_EQ(std::count(record.stage_drawn.begin(), record.stage_drawn.end(), 9), 1);
  EXPECT_EQ(record.presented_at_us.size(), record.stage_drawn.size());
  // The first frame at or past 168500 ms is frame 15319.
  EXPECT_NEAR(static_cast<double>(record.stage_drawn.size()), 15320.0, 1.0);
}

TEST_F(MainLoop, FramesAreAtLeastTenMillisecondsApart) {
  step_us = 300;
  record.quit_after_pumps = 200;
  run_main_loop(timer, 0.0f, fake_io);
  ASSERT_GE(record.presented_at_us.size(), 100u);
  for (std::size_t i = 1; i < record.presented_at_us.size(); ++i) {
    ASSERT_GE(record.presented_at_us[i] - record.presented_at_us[i - 1], 10'000) << i;
  }
}

TEST_F(MainLoop, SlowFramesDoNotWaitAndStagesStillFollowTheClock) {
  step_us = 25'000;  // every reading 25 ms later: each frame already took longer than 10 ms
  run_main_loop(timer, 0.0f, fake_io);
  // At two readings a frame, stage 1 is due after 1000 frames, not after 5000.
  const auto first_of_stage_1 = std::find(record.stage_drawn.begin(), record.stage_drawn.end(), 1) -
                                record.stage_drawn.begin();
  EXPECT_NEAR(static_cast<double>(first_of_stage_1), 1000.0, 2.0);
}

TEST_F(MainLoop, QuitMessageEndsTheLoopBeforeAnotherFrame) {
  record.quit_after_pumps = 3;
  EXPECT_EQ(run_main_loop(timer, 0.0f, fake_io), 0);
  EXPECT_EQ(record.stage_drawn.size(), 2u);
}

TEST_F(MainLoop, EscapeEndsTheShowOnlyWhileActive) {
  keys[key_escape] = true;
  active = false;
  record.quit_after_pumps = 50;
  run_main_loop(timer, 0.0f, fake_io);
  EXPECT_EQ(record.stage_drawn.size(), 49u);  // minimised: Escape ignored, the show goes on

  SetUp();
  keys[key_escape] = true;
  active = true;
  run_main_loop(timer, 0.0f, fake_io);
  EXPECT_TRUE(record.stage_drawn.empty());
  keys[key_escape] = false;
}

// The sound hears the show's clock first in every frame, so that an output opened again is
// ready for the cue that frame plays, and the music can follow the picture.
TEST_F(MainLoop, SoundIsToldTheShowsClockBeforeEachFramesCue) {
  step_us = 25'000;
  run_main_loop(timer, 1000.0f, fake_io);  // the show started 1 s into the timer
  std::vector<int> clock;
  for (std::size_t i = 0; i < sound_calls.size(); ++i) {
    if (sound_calls[i].what == "tend") clock.push_back(sound_calls[i].volume);
    if (sound_calls[i].what != "sample") continue;
    std::size_t before = i;  // a cue may be several samples at once
    while (before > 0 && sound_calls[before - 1].what == "sample") --before;
    ASSERT_GT(before, 0u);
    EXPECT_EQ(sound_calls[before - 1].what, "tend") << "cue " << i;
    EXPECT_GE(sound_calls[before - 1].volume, 50000) << "the first cue is stage 1's, at 50 s";
  }
  ASSERT_EQ(clock.size(), record.stage_drawn.size());
  EXPECT_LT(clock.front(), 0);  // the first reading came before the show's start
  EXPECT_TRUE(std::is_sorted(clock.begin(), clock.end()));
  EXPECT_GE(clock.back(), 168500);
}

TEST(SoundStart, NoOutputWithMusicOnStartsSilentAndLooksForOne) {
  const auto starts = [] {
    std::vector<int> audible;
    for (const SoundCall& call : sound_calls) {
      if (call.what == "start") audible.push_back(call.volume);
    }
    return audible;
  };
  clear_sound_calls();
  refused_sound_starts = 1;
  // Past the sound's start to the music, which the stand-in never has.
  EXPECT_EQ(load_sound(true), music_load_failure);
  EXPECT_TRUE(sound_output_missing);
  EXPECT_EQ(starts(), (std::vector<int>{1, 2}));

  clear_sound_calls();
  sound_output_missing = false;
  refused_sound_starts = 2;  // not even the silent output opens
  EXPECT_EQ(load_sound(true), sound_start_failure);

  clear_sound_calls();
  refused_sound_starts = 1;  // music off: the silent output is the only one, and it failed
  EXPECT_EQ(load_sound(false), sound_start_failure);
  EXPECT_EQ(starts(), (std::vector<int>{0}));
  EXPECT_FALSE(sound_output_missing);
}
