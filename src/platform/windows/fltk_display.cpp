// FLTK on Windows draws through GDI, which is always there; its windows take the program's icon.
#include "platform/desktop/fltk_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <windows.h>

#include <string>

#include "platform/display_scale.h"

bool open_fltk_display() {
  return true;
}

// The system's DPI: the manifest declares the program DPI-aware, so Windows does not scale it.
float desktop_scale() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 1;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return scale_for_dpi(std::to_string(dpi).c_str());
}

void sync_fltk_display() {
  Fl::flush();
}

void show_window(Fl_Window& window) {
  // FLTK lists the primary monitor first.
  int x, y, width, height;
  Fl::screen_xywh(x, y, width, height, 0);
  window.position(x + (width - window.w()) / 2, y + (height - window.h()) / 2);
  window.icon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  window.show();
}
