#include "platform/desktop/fltk_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "platform/desktop/icon.h"
#include "platform/display_scale.h"

bool open_fltk_display() {
  if (fl_display != nullptr) return true;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  fl_open_display(display);
  return true;
}

float desktop_scale() {
  if (!open_fltk_display()) return 1;
  return scale_for_dpi(XGetDefault(fl_display, "Xft", "dpi"));
}

void sync_fltk_display() {
  Fl::flush();
  XSync(fl_display, False);
}

void show_window(Fl_Window& window) {
  // FLTK lists the primary monitor first.
  int x, y, width, height;
  Fl::screen_xywh(x, y, width, height, 0);
  window.position(x + (width - window.w()) / 2, y + (height - window.h()) / 2);
  window.xclass(window_class);  // FLTK writes it with a capital first letter: again at once below
  window.show();
  mark_x11_window(fl_display, fl_xid(&window));
}
