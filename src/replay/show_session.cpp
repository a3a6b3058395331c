#include "replay/show_session.h"

#include <SDL_stdinc.h>

#include <cstdio>
#include <string>

#include "app/scene.h"
#include "app/show_window.h"
#include "app/startup.h"
#include "core/settings.h"
#include "platform/sound.h"

namespace {

std::uint32_t chosen_seed = 1;

std::uint32_t option_seed() {
  return chosen_seed;
}

}  // namespace

void use_offscreen_video() {
  SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

bool load_show_sound(const char* program, bool audible) {
  const char* failure = load_sound(audible);
  if (failure == nullptr) return true;
  std::string why = failure;
  if (failure == music_load_failure) why += " (music.dat)";
  if (failure == sample_load_failure) why += " (strike.wav, swirlbeam.wav, thanks.wav)";
  std::fprintf(stderr, "%s: %s\n", program, why.c_str());
  return false;
}

bool create_session_window(const ShowSession& session) {
  settings.fullscreen = 0;
  settings.music = 0;
  settings.color_bits = 32;
  settings.width = session.width;
  settings.height = session.height;
  settings.dither = 1;
  chosen_seed = session.seed;
  scene_seed = option_seed;
  if (session.record_sound) start_sound_recording();  // before the set-up starts the music
  return create_window("Swirlbeam", settings.width, settings.height, settings.color_bits, false);
}

void close_show() {
  shutdown();
}
