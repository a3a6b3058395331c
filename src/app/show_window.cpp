#include "app/show_window.h"

#include "app/keys.h"
#include "app/scene.h"
#include "app/sound_handles.h"
#include "platform/backend.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace {

void window_error(const char* text) {
  show_message(text, "ERROR", MessageIcon::exclamation);
}

}  // namespace

bool create_window(const char* title, int width, int height, int color_bits, bool fullscreen) {
  // In a window the show should look as large as on a 96-dpi screen.
  const OpenedWindow opened =
      open_window(title, width, height, color_bits, fullscreen, window_scale());
  if (!opened.ready) {
    shutdown();
    if (opened.error != nullptr) window_error(opened.error);
    return false;
  }
  set_up_scene();
  return true;
}

void shutdown() {
  close_sound(song);
  if (!close_window()) {
    show_message("Release Of DC And RC Failed.", "SHUTDOWN ERROR", MessageIcon::information);
  }
}

bool pump_messages(int& quit_code) {
  if (pump_window_events(keys, active)) return true;
  quit_code = 0;
  return false;
}
