#include "app/timeline.h"
#include "app/effects.h"
#include "app/sound_handles.h"
#include "gtest/gtest.h"
#include "platform/sound.h"
#include "support/recording_sound.h"

namespace {

// Distinct stand-in handles, so that the recorded cues say which sample was asked for.
alignas(8) char strike_tag, swirlbeam_tag, thanks_tag;

class Timeline : public ::testing::Test {
 protected:
  void SetUp() override {
    effects = EffectState{};
    strike_sample = reinterpret_cast<Sample*>(&strike_tag);
    swirlbeam_sample = reinterpret_cast<Sample*>(&swirlbeam_tag);
    thanks_sample = reinterpret_cast<Sample*>(&thanks_tag);
    clear_sound_calls();
  }
};

std::vector<std::pair<Sample*, int>> played() {
  std::vector<std::pair<Sample*, int>> list;
  for (const SoundCall& call : sound_calls) {
    if (call.what == "sample") list.emplace_back(call.sample, call.volume);
  }
  return list;
}

}  // namespace

TEST_F(Timeline, StageOneBeginsOnTheFirstReadingAtFiftySeconds) {
  EXPECT_FALSE(advance_stage(49999.996f, 0.0f));
  EXPECT_EQ(effects.stage, 0);
  EXPECT_TRUE(played().empty());

  EXPECT_TRUE(advance_stage(50000.0f, 0.0f));  // equality advances
  EXPECT_EQ(effects.stage, 1);
  EXPECT_EQ(played(), (std::vector<std::pair<Sample*, int>>{{strike_sample, full_volume}}));
}

TEST_F(Timeline, StageTimesCountFromTheStartTime) {
  const float start = 1234.5f;
  EXPECT_FALSE(advance_stage(51234.0f, start));
  EXPECT_TRUE(advance_stage(51234.5f, start));
}

TEST_F(Timeline, AfterAStallTheStagesComeOnePerFrameEachWithItsCueOnce) {
  const std::vector<std::vector<std::pair<Sample*, int>>> cues = {
      {{strike_sample, 256}},
      {},
      {{strike_sample, 128}, {swirlbeam_sample, 256}, {swirlbeam_sample, 256}},
      {},
      {{strike_sample, 256}},
      {},
      {{strike_sample, 128}, {thanks_sample, 256}, {thanks_sample, 256}},
      {},
      {},
  };
  for (int stage = 1; stage <= 9; ++stage) {
    clear_sound_calls();
    EXPECT_TRUE(advance_stage(500000.0f, 0.0f));
    EXPECT_EQ(effects.stage, stage);
    EXPECT_EQ(played(), cues[stage - 1]) << "stage " << stage;
  }
  clear_sound_calls();
  EXPECT_FALSE(advance_stage(500000.0f, 0.0f));
  EXPECT_EQ(effects.stage, 9);
  EXPECT_TRUE(sound_calls.empty());
}

TEST_F(Timeline, CuesOfStagesThreeFiveAndSevenRelightTheFlash) {
  for (int stage : {3, 5, 7}) {
    effects.flash_alpha = 0.25f;
    play_stage_cue(stage);
    EXPECT_EQ(effects.flash_alpha, 1.0f) << stage;
  }
  effects.flash_alpha = 0.25f;
  for (int stage : {1, 2, 4, 6, 8, 9}) play_stage_cue(stage);
  EXPECT_EQ(effects.flash_alpha, 0.25f);
}
