// swirlbeam-display-guard WIDTH HEIGHT X Y: gives the desktop its display mode back once the show
// has ended, however it ended. The show switches one monitor, the one whose top-left corner is at
// X,Y, to WIDTH x HEIGHT; it holds the other end of the socket on our descriptor 0. The kernel
// closes that end even after SIGKILL or a cut X connection, which nothing inside the show can
// handle. A show that gave the mode back itself first sends a byte telling us to stand down; one
// whose switch the display refused sends another: a refusing display can leave the monitor dark.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr const char* name = "swirlbeam-display-guard";
constexpr char stand_down = 's';
constexpr char refused = 'r';

struct Guarded {
  RRCrtc crtc = None;
  RRMode desktop_mode = None;
  int x = 0, y = 0;
  std::vector<RROutput> outputs;
  int show_width = 0, show_height = 0;
};

// Kernels before 5.9 have no close_range: close what /proc lists, or every possible number.
void close_inherited_descriptors() {
  if (::close_range(3, ~0U, 0) == 0) return;
  std::vector<int> open;
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    while (dirent* entry = ::readdir(fds)) {
      const int fd = std::atoi(entry->d_name);
      if (fd > 2 && fd != ::dirfd(fds)) open.push_back(fd);
    }
    ::closedir(fds);
  } else {
    for (long fd = 3, last = std::min(::sysconf(_SC_OPEN_MAX), 1L << 16); fd < last; ++fd) {
      open.push_back(static_cast<int>(fd));
    }
  }
  for (const int fd : open) ::close(fd);
}

const XRRModeInfo* mode_info(const XRRScreenResources* resources, RRMode mode) {
  for (int i = 0; i < resources->nmode; ++i) {
    if (resources->modes[i].id == mode) return &resources->modes[i];
  }
  return nullptr;
}

// The lit monitor at the show's corner; of several there (clones), the primary one.
RRCrtc crtc_at(Display* display, Window root, XRRScreenResources* resources, int x, int y) {
  const RROutput primary = XRRGetOutputPrimary(display, root);
  RRCrtc found = None;
  for (int i = 0; i < resources->ncrtc; ++i) {
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
    if (info == nullptr) continue;
    if (info->mode != None && info->x == x && info->y == y) {
      const bool is_primary = std::count(info->outputs, info->outputs + info->noutput, primary) > 0;
      if (found == None || is_primary) found = resources->crtcs[i];
    }
    XRRFreeCrtcInfo(info);
  }
  return found;
}

// Xlib's own figures are those of when we connected, so ask the server.
void screen_size(Display* display, Window root, int& width, int& height) {
  Window unused_root;
  int x, y;
  unsigned w = 0, h = 0, border, depth;
  XGetGeometry(display, root, &unused_root, &x, &y, &w, &h, &border, &depth);
  width = static_cast<int>(w);
  height = static_cast<int>(h);
}

void resize_screen(Display* display, Window root, int width, int height) {
  int now_width, now_height;
  screen_size(display, root, now_width, now_height);
  if (width <= 0 || height <= 0 || (width == now_width && height == now_height)) return;
  const int screen = DefaultScreen(display);
  const double mm_per_pixel =
      static_cast<double>(DisplayWidthMM(display, screen)) / DisplayWidth(display, screen);
  XRRSetScreenSize(display, root, width, height, static_cast<int>(width * mm_per_pixel),
                   static_cast<int>(height * mm_per_pixel));
}

// The screen just holds every lit monitor, as xrandr leaves it.
void fit_screen_to_monitors(Display* display, Window root) {
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  int width = 0, height = 0;
  for (int i = 0; resources != nullptr && i < resources->ncrtc; ++i) {
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
    if (info == nullptr) continue;
    if (info->mode != None) {
      width = std::max(width, info->x + static_cast<int>(info->width));
      height = std::max(height, info->y + static_cast<int>(info->height));
    }
    XRRFreeCrtcInfo(info);
  }
  if (resources != nullptr) XRRFreeScreenResources(resources);
  resize_screen(display, root, width, height);
}

// Only the monitor the show switched, and only while it still runs the show's mode (or is dark
// after a refused switch): whatever the user changed meanwhile stays as the user set it.
void restore(Display* display, Window root, const Guarded& guarded, bool dark_too) {
  XGrabServer(display);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  XRRCrtcInfo* now = resources ? XRRGetCrtcInfo(display, resources, guarded.crtc) : nullptr;
  const XRRModeInfo* running = now ? mode_info(resources, now->mode) : nullptr;
  const XRRModeInfo* desktop = resources ? mode_info(resources, guarded.desktop_mode) : nullptr;
  const bool dark = now != nullptr && now->mode == None;
  if (desktop != nullptr &&
      ((dark && dark_too) ||
       (running != nullptr && static_cast<int>(running->width) == guarded.show_width &&
        static_cast<int>(running->height) == guarded.show_height))) {
    const int x = dark ? guarded.x : now->x, y = dark ? guarded.y : now->y;
    // The screen must hold the desktop's mode before the monitor takes it.
    int width, height;
    screen_size(display, root, width, height);
    resize_screen(display, root, std::max(width, x + static_cast<int>(desktop->width)),
                  std::max(height, y + static_cast<int>(desktop->height)));
    std::vector<RROutput> outputs(now->outputs, now->outputs + now->noutput);
    if (outputs.empty()) outputs = guarded.outputs;
    XRRSetCrtcConfig(display, resources, guarded.crtc, CurrentTime, x, y, guarded.desktop_mode,
                     now->rotation, outputs.data(), static_cast<int>(outputs.size()));
    fit_screen_to_monitors(display, root);
  }
  if (now != nullptr) XRRFreeCrtcInfo(now);
  if (resources != nullptr) XRRFreeScreenResources(resources);
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

int main(int argc, char** argv) {
  close_inherited_descriptors();  // none of the show's descriptors but the socket stays with us
  std::signal(SIGPIPE, SIG_IGN);
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT X Y (started by swirlbeam)\n", name);
    return 2;
  }
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
  Guarded guarded;
  guarded.show_width = std::atoi(argv[1]);
  guarded.show_height = std::atoi(argv[2]);
  if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root)) {
    guarded.crtc = crtc_at(display, root, resources, std::atoi(argv[3]), std::atoi(argv[4]));
    if (XRRCrtcInfo* info =
            guarded.crtc ? XRRGetCrtcInfo(display, resources, guarded.crtc) : nullptr) {
      guarded.desktop_mode = info->mode;
      guarded.x = info->x;
      guarded.y = info->y;
      guarded.outputs.assign(info->outputs, info->outputs + info->noutput);
      XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
  }
  if (guarded.desktop_mode == None) {
    std::fprintf(stderr, "%s: no monitor at %s,%s: the desktop's mode is not guarded\n", name,
                 argv[3], argv[4]);
    return 1;
  }

  const char ready = 1;
  if (::write(0, &ready, 1) != 1) return 0;  // the show stopped waiting and changes nothing
  char byte = 0;
  for (;;) {
    const ssize_t n = ::read(0, &byte, 1);
    if (n == 1 && byte == stand_down) return 0;
    if ((n == 1 && byte == refused) || n == 0 || (n < 0 && errno != EINTR)) break;
  }
  restore(display, root, guarded, byte == refused);
  XCloseDisplay(display);
  return 0;
}
