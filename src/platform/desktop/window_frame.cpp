#include "platform/desktop/window_frame.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <unistd.h>

namespace {

struct XWindowOf {
  Display* display = nullptr;
  Window window = 0;
};

std::optional<XWindowOf> x11_window(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return std::nullopt;
  return XWindowOf{info.info.x11.display, info.info.x11.window};
}

// A window property of 32-bit items, at most `count` of them.
template <typename Read>
bool read_cardinals(Display* display, Window window, const char* name, Atom type, long count,
                    Read read) {
  Atom actual = None;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char* data = nullptr;
  const bool got =
      XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, count, False, type,
                         &actual, &format, &items, &left, &data) == Success &&
      actual == type && format == 32;
  // Xlib hands 32-bit items over as longs.
  const bool taken = got && read(reinterpret_cast<const long*>(data), items);
  if (data != nullptr) XFree(data);
  return taken;
}

std::optional<FrameExtents> stated_frame(const XWindowOf& x) {
  FrameExtents frame;
  const bool stated = read_cardinals(x.display, x.window, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4,
                                     [&frame](const long* v, unsigned long items) {
                                       if (items != 4) return false;
                                       frame = {static_cast<int>(v[0]), static_cast<int>(v[1]),
                                                static_cast<int>(v[2]), static_cast<int>(v[3])};
                                       return true;
                                     });
  if (!stated) return std::nullopt;
  return frame;
}

// Only a window manager that lists the request answers it; asking any other would only wait.
bool answers_frame_requests(Display* display) {
  const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  return read_cardinals(display, DefaultRootWindow(display), "_NET_SUPPORTED", XA_ATOM, 1024,
                        [request](const long* atoms, unsigned long items) {
                          for (unsigned long i = 0; i < items; ++i) {
                            if (static_cast<Atom>(atoms[i]) == request) return true;
                          }
                          return false;
                        });
}

}  // namespace

std::optional<FrameExtents> frame_before_mapping(SDL_Window* window) {
  const std::optional<XWindowOf> x = x11_window(window);
  if (!x || !answers_frame_requests(x->display)) return std::nullopt;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = x->window;
  event.xclient.message_type = XInternAtom(x->display, "_NET_REQUEST_FRAME_EXTENTS", False);
  event.xclient.format = 32;
  XSendEvent(x->display, DefaultRootWindow(x->display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x->display);
  // Read rather than waited for as an event: SDL's own event queue keeps what it selected.
  for (int i = 0; i < 50; ++i) {
    if (const std::optional<FrameExtents> frame = stated_frame(*x)) return frame;
    ::usleep(10 * 1000);
  }
  return std::nullopt;
}

std::optional<FrameExtents> frame_of_mapped(SDL_Window* window) {
  const std::optional<XWindowOf> x = x11_window(window);
  if (!x) return std::nullopt;
  return stated_frame(*x);
}

// The window manager places the frame's corner where the window asks to be, clear of panels.
void keep_frame_on_screen(SDL_Window*) {}
