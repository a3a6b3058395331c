// Swirlbeam: settings, sound and media, the settings dialog, the window, then the timed show.
#include "app/main_loop.h"
#include "app/report_fatal.h"
#include "app/settings.h"
#include "app/sound_handles.h"
#include "app/timeline.h"
#include "platform/heap.h"
#include "platform/message.h"
#include "platform/quit_signal.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "ui/settings_dialog.h"

namespace {

int fail(const char* text) {
  report_fatal(text, "Error");
  return fatal_exit_code;
}

}  // namespace

int main() {
  install_quit_signals();  // Ctrl+C, SIGTERM and SIGHUP end the show as closing its window does
  keep_freed_memory();     // software OpenGL draws the comets several times faster

  // Settings
  if (!read_settings_file(settings_file_name, settings)) {
    show_message("Unable to load the configuration !\n", "Error", MessageIcon::exclamation);
    return 0;
  }

  // Sound, music and samples: the output is chosen from the file, before the dialog
  if (!start_sound(settings.music != 0)) return fail("Unable to install the FMOD!!");
  song = load_song("music.dat");
  if (song == nullptr) return fail("Unable to load a music!!");
  if (!load_samples()) return fail("Unable to load a sample!!");

  // Dialog, then the settings go back to the file
  run_settings_dialog();
  if (dialog_cancelled) {
    close_sound(song);
    return 0;
  }
  if (!write_settings_file(settings_file_name, settings)) {
    show_message("Unable to save the configuration !\n", "Error", MessageIcon::exclamation);
    close_sound(song);
    return 0;
  }

  // Window and scene
  if (!create_window("Swirlbeam", settings.width, settings.height, settings.color_bits,
                     settings.fullscreen != 0)) {
    shutdown();  // the sound may still be open after a refused full screen
    return 0;
  }

  // The show
  FrameTimer timer;
  timer.init();
  start_time = static_cast<float>(timer.elapsed_ms());
  const int exit_code = run_main_loop(timer, start_time, window_frame_io);
  shutdown();
  return exit_code;
}
