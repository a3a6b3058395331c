// The animated parameters of the scene and the stage-by-stage rules that change them.
#pragma once

#include <cstdint>

struct EffectState {
  float flash_alpha = 1.0f;
  float echo_alpha = 1.0f;
  float logo_z = -5.0f;
  float web_alpha = 1.0f;
  float thanks_alpha = 1.0f;
  float background_angle = 0.0f;  // given its start value at program load
  float background_alpha = 0.0f;
  float smoke_scroll = 0.0f;
  float web_angle = 0.0f;
  float scene_angle = 0.0f;
  float fade_alpha = 0.0f;
  std::int32_t stage = 0;
};

extern EffectState effects;

// The start value of background_angle: the first draw of the unseeded generator, in degrees.
float load_time_background_angle();

// a += delta, then at most one correction of 360 each way; 0 and 360 stay as they are.
void wrap_angle(float& angle, float delta);

// The sound cue and flash reset on entering `stage` (1..9).
void play_stage_cue(std::int32_t stage);
// One frame's steps of `stage` (0..9).
void update_effects(std::int32_t stage);
