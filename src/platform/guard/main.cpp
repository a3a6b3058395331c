// swirlbeam-display-guard: gives the desktop its display mode back once the show has ended,
// however it ended. The show holds the other end of the socket on our descriptor 0; the kernel
// closes that end even after SIGKILL or a cut X connection, which nothing inside the show can
// handle. The show already restores the mode on every end it sees, so usually there is nothing to
// do here.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* name = "swirlbeam-display-guard";

struct CrtcState {
  RRCrtc crtc;
  RRMode mode;
  int x, y;
  Rotation rotation;
  std::vector<RROutput> outputs;
};

struct DesktopState {
  int width, height, width_mm, height_mm;
  std::vector<CrtcState> crtcs;
};

DesktopState record(Display* display, Window root) {
  const int screen = DefaultScreen(display);
  DesktopState desktop{DisplayWidth(display, screen),
                       DisplayHeight(display, screen),
                       DisplayWidthMM(display, screen),
                       DisplayHeightMM(display, screen),
                       {}};
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  for (int i = 0; resources != nullptr && i < resources->ncrtc; ++i) {
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
    if (info == nullptr) continue;
    desktop.crtcs.push_back({resources->crtcs[i], info->mode, info->x, info->y, info->rotation,
                             std::vector<RROutput>(info->outputs, info->outputs + info->noutput)});
    XRRFreeCrtcInfo(info);
  }
  if (resources != nullptr) XRRFreeScreenResources(resources);
  return desktop;
}

void restore(Display* display, Window root, const DesktopState& desktop) {
  XGrabServer(display);
  // The screen must hold both the show's modes and the desktop's while they change: grow it
  // first, shrink it last. Xlib's own figures are those of when we connected, so ask the server.
  Window unused_root;
  int x, y;
  unsigned width = 0, height = 0, border, depth;
  XGetGeometry(display, root, &unused_root, &x, &y, &width, &height, &border, &depth);
  const int both_width = std::max(static_cast<int>(width), desktop.width);
  const int both_height = std::max(static_cast<int>(height), desktop.height);
  if (both_width != static_cast<int>(width) || both_height != static_cast<int>(height)) {
    XRRSetScreenSize(display, root, both_width, both_height, desktop.width_mm, desktop.height_mm);
  }
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  for (const CrtcState& want : desktop.crtcs) {
    XRRCrtcInfo* now = resources ? XRRGetCrtcInfo(display, resources, want.crtc) : nullptr;
    if (now == nullptr) continue;
    if (now->mode != want.mode || now->x != want.x || now->y != want.y ||
        now->rotation != want.rotation) {
      XRRSetCrtcConfig(display, resources, want.crtc, CurrentTime, want.x, want.y, want.mode,
                       want.rotation, const_cast<RROutput*>(want.outputs.data()),
                       static_cast<int>(want.outputs.size()));
    }
    XRRFreeCrtcInfo(now);
  }
  if (resources != nullptr) XRRFreeScreenResources(resources);
  if (both_width != desktop.width || both_height != desktop.height) {
    XRRSetScreenSize(display, root, desktop.width, desktop.height, desktop.width_mm,
                     desktop.height_mm);
  }
  XUngrabServer(display);
  XSync(display, False);
}

// One refused request must not stop the others from being put back.
int report_x_error(Display* display, XErrorEvent* error) {
  char text[128];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "%s: %s (%d.%d)\n", name, text, error->request_code, error->minor_code);
  return 0;
}

}  // namespace

int main() {
  ::close_range(3, ~0U, 0);  // none of the show's descriptors but the socket stays with us
  std::signal(SIGPIPE, SIG_IGN);
  // The show reaps this first process at once; the one that stays is then nobody's child to wait
  // for.
  const pid_t child = ::fork();
  if (child != 0) return child < 0 ? 1 : 0;

  Display* display = XOpenDisplay(nullptr);
  int event_base = 0, error_base = 0;
  if (display == nullptr || !XRRQueryExtension(display, &event_base, &error_base)) {
    std::fprintf(stderr, "%s: no display with XRandR: the desktop's mode is not guarded\n", name);
    return 1;
  }
  XSetErrorHandler(report_x_error);
  const Window root = DefaultRootWindow(display);
  const DesktopState desktop = record(display, root);

  const char ready = 1;
  if (::write(0, &ready, 1) != 1) return 0;  // the show stopped waiting and changes nothing
  char byte;
  for (;;) {
    const ssize_t n = ::read(0, &byte, 1);
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  restore(display, root, desktop);
  XCloseDisplay(display);
  return 0;
}
