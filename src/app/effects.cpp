#include "app/effects.h"

#include "app/sound_handles.h"
#include "comets/comet.h"
#include "core/rng.h"
#include "platform/sound.h"

float load_time_background_angle() {
  const float factor = static_cast<float>(359.0 / rng_max);
  return static_cast<float>(static_cast<double>(rng_next()) * factor);
}

// Runs at program load, before main and before anything else draws from the generator.
EffectState effects = [] {
  EffectState state;
  state.background_angle = load_time_background_angle();
  return state;
}();

namespace {

constexpr int strike_volume = 128;
constexpr int voice_volume = 256;

void fade_down(float& x, double step) {
  const double value = x - step;
  x = value < 0.0 ? 0.0f : static_cast<float>(value);
}

void fade_up(float& x, double step) {
  const double value = x + step;
  x = value > 1.0 ? 1.0f : static_cast<float>(value);
}

void background_step() {
  wrap_angle(effects.background_angle, -0.05f);
  fade_up(effects.background_alpha, 0.004);
  effects.smoke_scroll = static_cast<float>(effects.smoke_scroll + 0.0001);
  if (effects.smoke_scroll > 1.0f)
    effects.smoke_scroll = static_cast<float>(effects.smoke_scroll - 1.0);
}

// Flash, echo and background: the tail every stage from 3 on ends with.
void echo_flash_background_steps() {
  fade_down(effects.echo_alpha, 0.001);
  fade_down(effects.flash_alpha, 0.006);
  background_step();
}

void music_volume_step() {
  set_music_volume(song, music_volume(song) - 2);
}

// The scene turning slowly behind the turning web, while `fading` fades by `step`.
void web_stage_steps(float& fading, double step) {
  wrap_angle(effects.scene_angle, 0.2f);
  fade_down(fading, step);
  wrap_angle(effects.web_angle, -0.5f);
  echo_flash_background_steps();
}

// Strike at half volume, a new flash, then the voice started twice at once.
void strike_flash_and_voice(Sample* voice) {
  play_sample(strike_sample, strike_volume);
  effects.flash_alpha = 1.0f;
  play_sample(voice, voice_volume);
  play_sample(voice, voice_volume);
}

}  // namespace

void wrap_angle(float& angle, float delta) {
  angle = static_cast<float>(static_cast<double>(angle) + delta);
  if (angle > 360.0f) angle = static_cast<float>(angle - 360.0);
  if (angle < 0.0f) angle = static_cast<float>(angle + 360.0);
}

void play_stage_cue(std::int32_t stage) {
  switch (stage) {
    case 1:
      play_sample(strike_sample);
      break;
    case 3:
      strike_flash_and_voice(swirlbeam_sample);
      break;
    case 5:
      play_sample(strike_sample);
      effects.flash_alpha = 1.0f;
      break;
    case 7:
      strike_flash_and_voice(thanks_sample);
      break;
    default:
      break;
  }
}

void update_effects(std::int32_t stage) {
  switch (stage) {
    case 0:
      update_comets();
      break;
    case 1:
      wrap_angle(effects.scene_angle, -2.0f);
      fade_down(effects.flash_alpha, 0.003);
      break;
    case 2:
      update_comets();
      background_step();
      break;
    case 3:
      fade_down(effects.echo_alpha, 0.001);
      fade_down(effects.flash_alpha, 0.006);
      update_comets();
      background_step();
      break;
    case 4:
      update_comets();
      effects.logo_z = static_cast<float>(effects.logo_z * 0.99);
      echo_flash_background_steps();
      break;
    case 5:
      web_stage_steps(effects.flash_alpha, 0.006);  // the flash fades twice as fast here
      break;
    case 6:
      web_stage_steps(effects.web_alpha, 0.002);
      break;
    case 7:
      update_comets();
      fade_down(effects.thanks_alpha, 0.002);
      fade_down(effects.flash_alpha, 0.006);
      echo_flash_background_steps();
      break;
    case 8:
      update_comets();
      fade_up(effects.fade_alpha, 0.005);
      music_volume_step();
      echo_flash_background_steps();
      break;
    case 9:
      echo_flash_background_steps();
      break;
    default:
      break;
  }
}
