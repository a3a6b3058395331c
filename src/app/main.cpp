// Swirlbeam: settings, sound and media, the settings dialog, the window, then the timed show.
#include "app/main_loop.h"
#include "app/report_fatal.h"
#include "app/show_window.h"
#include "app/sound_handles.h"
#include "app/startup.h"
#include "app/timeline.h"
#include "core/settings.h"
#include "platform/desktop/desktop.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "ui/settings_dialog.h"

int main() {
  install_quit_signals();  // Ctrl+C, SIGTERM and SIGHUP end the show as closing its window does
  keep_freed_memory();     // software OpenGL draws the comets several times faster

  // Settings, then sound, music and samples: the output is chosen from the file, before the dialog
  if (!load_settings()) return 0;
  if (const char* failure = load_sound(settings.music != 0)) {
    report_fatal(failure, "Error");
    return fatal_exit_code;
  }

  // Dialog, then the settings go back to the file
  run_settings_dialog(sound_output_missing ? no_sound_output_notice : nullptr, settings.music != 0);
  if (dialog_cancelled) {
    close_sound(song);
    return 0;
  }
  save_settings();

  // Window, scene and clock, then the show
  FrameTimer timer;
  if (!begin_show(timer, settings.fullscreen != 0)) return 0;
  const int exit_code = run_main_loop(timer, start_time, window_frame_io);
  shutdown();
  return exit_code;
}
