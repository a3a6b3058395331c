#include "show_session.h"

#include <cstdio>
#include <cstdlib>

#include "app/scene.h"
#include "app/settings.h"
#include "app/sound_handles.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace {

std::uint32_t chosen_seed = 1;

std::uint32_t option_seed() {
  return chosen_seed;
}

bool report(const char* text) {
  std::fprintf(stderr, "swirlbeam-capture: %s\n", text);
  return false;
}

}  // namespace

void use_offscreen_video() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

bool load_show_sound() {
  if (!start_sound(false)) return report("Unable to install the FMOD!!");
  song = load_song("music.dat");
  if (song == nullptr) return report("Unable to load a music!! (music.dat)");
  strike_sample = load_sample("strike.wav");
  swirlbeam_sample = load_sample("swirlbeam.wav");
  thanks_sample = load_sample("thanks.wav");
  if (strike_sample == nullptr || swirlbeam_sample == nullptr || thanks_sample == nullptr)
    return report("Unable to load a sample!! (strike.wav, swirlbeam.wav, thanks.wav)");
  return true;
}

bool open_show_window(const ShowSession& session) {
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
