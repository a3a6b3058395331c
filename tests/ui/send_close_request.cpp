// send_close_request WINDOW: asks a window to close the way a window manager does, with a
// WM_DELETE_WINDOW client message. Fails when the window does not take such requests.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: send_close_request WINDOW\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "send_close_request: cannot open the display\n");
    return 1;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);

  Atom* taken = nullptr;
  int count = 0;
  bool accepts = false;
  if (XGetWMProtocols(display, window, &taken, &count) != 0) {
    for (int i = 0; i < count; ++i) accepts = accepts || taken[i] == delete_window;
    XFree(taken);
  }
  if (!accepts) {
    std::fprintf(stderr, "send_close_request: window %lu takes no close requests\n", window);
    XCloseDisplay(display);
    return 3;
  }

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(delete_window);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
