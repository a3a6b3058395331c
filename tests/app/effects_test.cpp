#include <cmath>

#include "app/effects.h"
#include "comets/comet.h"
#include "core/rng.h"
#include "gtest/gtest.h"
#include "platform/sound.h"
#include "support/recording_sound.h"

namespace {

class Effects : public ::testing::Test {
 protected:
  void SetUp() override {
    effects = EffectState{};
    clear_sound_calls();
    reset_comets();
  }

  // Frames of `stage` until `field` first reads `value`; -1 if not within `limit`.
  int frames_until(int stage, const float& field, float value, int limit = 2000) {
    for (int frame = 1; frame <= limit; ++frame) {
      update_effects(stage);
      if (field == value) return frame;
    }
    return -1;
  }
};

}  // namespace

TEST(WrapAngle, StaysWithinAFullTurn) {
  float a = 359.9f;
  wrap_angle(a, 0.2f);
  EXPECT_NEAR(a, 0.1f, 1e-4);
  a = 0.0f;
  wrap_angle(a, -2.0f);
  EXPECT_EQ(a, 358.0f);
  a = 0.0f;
  wrap_angle(a, -0.05f);
  EXPECT_FLOAT_EQ(a, 359.95f);
  a = 360.0f;
  wrap_angle(a, 0.0f);
  EXPECT_EQ(a, 360.0f);
  a = 0.0f;
  wrap_angle(a, 0.0f);
  EXPECT_EQ(a, 0.0f);
}

TEST_F(Effects, FlashesFadeOutInTheirOwnNumberOfFrames) {
  EXPECT_EQ(frames_until(1, effects.flash_alpha, 0.0f), 334);
  effects.flash_alpha = 1.0f;
  EXPECT_EQ(frames_until(3, effects.flash_alpha, 0.0f), 167);
  for (int stage : {5, 7}) {  // two flash steps a frame in these stages
    effects.flash_alpha = 1.0f;
    EXPECT_EQ(frames_until(stage, effects.flash_alpha, 0.0f), 84) << stage;
  }
}

TEST_F(Effects, FadesStopExactlyAtTheirBounds) {
  const int background_frames = frames_until(2, effects.background_alpha, 1.0f);
  EXPECT_GE(background_frames, 249);
  EXPECT_LE(background_frames, 251);
  update_effects(2);
  EXPECT_EQ(effects.background_alpha, 1.0f);

  const int fade_frames = frames_until(8, effects.fade_alpha, 1.0f);
  EXPECT_GE(fade_frames, 199);
  EXPECT_LE(fade_frames, 201);

  effects.flash_alpha = 0.004f;
  update_effects(3);
  EXPECT_EQ(effects.flash_alpha, 0.0f);
  update_effects(3);
  EXPECT_EQ(effects.flash_alpha, 0.0f);
}

TEST_F(Effects, LogoApproachesFromBehindAndNeverPassesZero) {
  for (int n = 1; n <= 3000; ++n) {
    update_effects(4);
    if (n == 100) {
      EXPECT_NEAR(effects.logo_z, -5.0 * std::pow(0.99, 100), 1e-4);
    }
    ASSERT_LT(effects.logo_z, 0.0f) << n;
  }
}

TEST_F(Effects, SmokeScrollWrapsPastOne) {
  effects.smoke_scroll = 0.99995f;
  update_effects(2);
  EXPECT_NEAR(effects.smoke_scroll, 0.00005, 1e-6);
}

TEST_F(Effects, StageEightTurnsTheMusicDownByTwoEachFrameWithoutABound) {
  for (int frame = 0; frame < 200; ++frame) update_effects(8);
  ASSERT_EQ(sound_calls.size(), 200u);
  EXPECT_EQ(sound_calls[0].volume, full_volume - 2);
  EXPECT_EQ(sound_calls[127].volume, 0);
  EXPECT_EQ(sound_calls[128].volume, -2);  // asked for below 0; the sound module keeps silence
  EXPECT_EQ(recorded_music_volume, 0);
}

TEST_F(Effects, StageNineMakesOnlyEchoFlashAndBackgroundSteps) {
  create_comet(Vector3{}.set(1, 2, 3), Vector3{}.set(0.1, 0, 0), Vector3{}.set(0, 0, 0), {1, 1, 1},
               0, true);
  rng_seed(77);
  const EffectState before = effects;
  const Vector3 position = comets[0].position;
  update_effects(9);
  EXPECT_FLOAT_EQ(effects.echo_alpha, 0.999f);
  EXPECT_FLOAT_EQ(effects.flash_alpha, 0.994f);
  EXPECT_FLOAT_EQ(effects.background_alpha, 0.004f);
  EXPECT_EQ(effects.fade_alpha, before.fade_alpha);
  EXPECT_EQ(effects.scene_angle, before.scene_angle);
  EXPECT_EQ(effects.logo_z, before.logo_z);
  EXPECT_TRUE(sound_calls.empty());
  EXPECT_EQ(rng_state(), 77u);  // no comet step
  EXPECT_EQ(comets[0].position.x, position.x);
}

TEST_F(Effects, CometsStandStillInStagesOneFiveSixAndNine) {
  create_comet(Vector3{}.set(1, 2, 3), Vector3{}.set(0.1, 0, 0), Vector3{}.set(0, 0, 0), {1, 1, 1},
               0, true);
  for (int stage : {1, 5, 6, 9}) {
    rng_seed(5);
    const Vector3 position = comets[0].position;
    update_effects(stage);
    EXPECT_EQ(rng_state(), 5u) << stage;
    EXPECT_EQ(comets[0].position.x, position.x) << stage;
  }
  for (int stage : {0, 2, 3, 4, 7, 8}) {
    rng_seed(5);
    update_effects(stage);
    EXPECT_NE(rng_state(), 5u) << stage;
  }
}

TEST_F(Effects, TheSceneTurnsOnlyInStagesOneFiveAndSix) {
  update_effects(1);
  EXPECT_EQ(effects.scene_angle, 358.0f);
  effects.scene_angle = 0.0f;
  update_effects(5);
  update_effects(6);
  EXPECT_FLOAT_EQ(effects.scene_angle, 0.4f);
  EXPECT_FLOAT_EQ(effects.web_angle, 359.0f);
  EXPECT_FLOAT_EQ(effects.web_alpha, 0.998f);
}
