#include "ui/fltk_display.h"

#include <FL/Fl.H>
#include <FL/x.H>

bool open_fltk_display() {
  if (fl_display != nullptr) return true;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  fl_open_display(display);
  return true;
}

void sync_fltk_display() {
  Fl::flush();
  XSync(fl_display, False);
}
