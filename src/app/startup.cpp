#include "app/startup.h"

#include <cstdio>

#include "app/media_files.h"
#include "app/show_window.h"
#include "app/sound_handles.h"
#include "app/timeline.h"
#include "core/settings.h"
#include "platform/backend.h"
#include "platform/sound.h"
#include "platform/timer.h"

const char* const settings_load_failure = "Unable to load the configuration !\n";
const char* const sound_start_failure = "Unable to install the FMOD!!";
const char* const music_load_failure = "Unable to load a music!!";
const char* const sample_load_failure = "Unable to load a sample!!";
const char* const no_sound_output_notice =
    "No sound output yet: the show starts\nsilent and is heard once one opens.";

bool sound_output_missing = false;

bool load_settings() {
  if (read_settings_file(settings_file_name, settings)) return true;
  show_message(settings_load_failure, "Error", MessageIcon::exclamation);
  return false;
}

namespace {

const char* start_sound_output(bool audible) {
  if (start_sound(audible)) return nullptr;
  // Music can be switched off only in the dialog, so no output must not keep the player out.
  if (!audible || !start_sound_silent_for_now()) return sound_start_failure;
  sound_output_missing = true;
  std::fprintf(stderr,
               "swirlbeam: no sound output could be opened; the show starts silent and tries "
               "again as it plays\n");
  return nullptr;
}

}  // namespace

const char* load_sound_step(int step, bool audible) {
  if (step == 0) return start_sound_output(audible);
  if (step == 1) {
    song = load_song(music_file);
    return song != nullptr ? nullptr : music_load_failure;
  }
  return load_sample_file(step - 2) ? nullptr : sample_load_failure;
}

const char* load_sound(bool audible) {
  for (int step = 0; step < load_sound_steps; ++step) {
    if (const char* failure = load_sound_step(step, audible)) return failure;
  }
  return nullptr;
}

void save_settings() {
  if (write_settings_file(settings_file_name, settings)) return;
  // A folder the player may not write (a zip opened in place, a system folder) is no reason to
  // withhold the show they chose: it plays with these settings, which are not kept.
  show_message("Unable to save the configuration !\n", "Error", MessageIcon::exclamation);
  std::fprintf(stderr,
               "swirlbeam: config.dat could not be written; the show plays with the settings "
               "chosen, which will not be kept\n");
}

bool begin_show(FrameTimer& timer, bool fullscreen) {
  if (!create_window("Swirlbeam", settings.width, settings.height, settings.color_bits,
                     fullscreen)) {
    shutdown();  // the sound may still be open after a refused full screen
    return false;
  }
  timer.init();
  start_time = static_cast<float>(timer.elapsed_ms());
  return true;
}
