#include "platform/desktop/display_guard.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <string>

extern char** environ;

namespace {

std::atomic<bool> mode_changed{false};
SDL_Window* guarded_window = nullptr;
// Our end of the guard's socket: it stays open until this process ends, which is the signal.
int guard_socket = -1;
pid_t guard_launcher = -1;

constexpr int crash_signals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr const char* guard_name = "swirlbeam-display-guard";
constexpr int guard_ready_ms = 3000;
constexpr char stand_down = 's';  // the mode is back: the guard leaves without touching anything
constexpr char refused = 'r';  // a switch was refused: the guard puts the monitor back, dark or not
XErrorHandler sdl_error_handler = nullptr;
std::atomic<bool> display_refused{false};
int randr_opcode = -1;

volatile std::sig_atomic_t crash_signal = 0;
constexpr unsigned crash_restore_seconds = 2;

// The restore below hung: the process still dies of its signal, and the guard, seeing it go,
// gives the mode back.
void on_stuck_crash(int) {
  std::raise(crash_signal);
}

// Not async-signal-safe, but the process is going down anyway and the desktop matters more. A
// signal that came while Xlib held its lock would hang it, hence the alarm.
void on_crash(int signal_number) {
  crash_signal = signal_number;
  std::signal(SIGALRM, on_stuck_crash);
  ::alarm(crash_restore_seconds);
  restore_display_mode();
  std::raise(signal_number);  // the handler was reset, so this dies as before
}

bool is_x11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && SDL_strcmp(driver, "x11") == 0;
}

// Where the build says it installs and packages the guard; a project that builds src/ on its own
// finds it beside the program.
#ifndef SWIRLBEAM_GUARD_INSTALLED
#define SWIRLBEAM_GUARD_INSTALLED ""
#endif
#ifndef SWIRLBEAM_GUARD_PACKAGED
#define SWIRLBEAM_GUARD_PACKAGED ""
#endif

// Beside our own executable (the build folder, or an installed bin folder), in our libexec folder
// beside that, or where it was installed or packaged.
std::string find_guard() {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string folder = length > 0 ? std::string(self, static_cast<size_t>(length)) : "";
  folder = folder.substr(0, folder.rfind('/') + 1);
  const std::string candidates[] = {folder + guard_name,
                                    folder + "../libexec/swirlbeam/" + guard_name,
                                    SWIRLBEAM_GUARD_INSTALLED, SWIRLBEAM_GUARD_PACKAGED};
  for (const std::string& path : candidates) {
    if (!path.empty() && path[0] == '/' && ::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

bool spawn_guard(const std::string& path, int guard_end, const SDL_DisplayMode& mode,
                 const SDL_Rect& monitor) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, guard_end, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_init(&attributes);
  // Its own session: a Ctrl+C or a closed terminal meant for the show must not end it first.
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  std::string args[] = {guard_name, std::to_string(mode.w), std::to_string(mode.h),
                        std::to_string(monitor.x), std::to_string(monitor.y)};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(),
                  args[3].data(), args[4].data(), nullptr};
  const int failed =
      posix_spawn(&guard_launcher, path.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) guard_launcher = -1;
  return failed == 0;
}

// The launcher forked the guard and left at once: once the guard has answered, reaping it takes
// no time.
void reap_launcher(int options) {
  if (guard_launcher > 0 && ::waitpid(guard_launcher, nullptr, options) != 0) guard_launcher = -1;
}

// One byte from the guard (1), its end (0) or nothing in time (-1). A quit signal meanwhile must
// not leave the switch unguarded.
ssize_t read_from_guard(char& byte) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(guard_ready_ms);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd ready{guard_socket, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(std::max<long long>(left, 0)));
    if (polled < 0 && errno == EINTR) continue;
    if (polled != 1) return -1;
    ssize_t n;
    while ((n = ::read(guard_socket, &byte, 1)) < 0 && errno == EINTR) {
    }
    return n;
  }
}

// Tells the guard to leave: at once without touching anything (`stand_down`), or once it has put
// the monitor back (`refused`).
void dismiss_guard(int reap_options, char byte = stand_down) {
  while (::send(guard_socket, &byte, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
  }
  char answer;
  if (byte == refused) {
    while (read_from_guard(answer) == 1) {
    }
  }
  ::close(guard_socket);
  guard_socket = -1;
  reap_launcher(reap_options);
}

// A display can list a mode and refuse it (SDL asks for a screen no larger than the monitor's new
// mode, which another monitor beside it forbids), with an X error that Xlib's default handler
// (behind SDL's) turns into the end of the program. A refused switch is asked about instead, and
// the guard then puts back the monitor SDL left dark or half switched.
int tolerate_refused_switch(Display* display, XErrorEvent* error) {
  if (error->request_code == randr_opcode) {
    display_refused = true;
    SDL_Log("display: the display refused the mode (X error %d)", error->error_code);
    return 0;
  }
  return sdl_error_handler != nullptr ? sdl_error_handler(display, error) : 0;
}

void tolerate_refused_switches(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  int event_base, error_base;
  if (randr_opcode >= 0 || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 ||
      !XQueryExtension(info.info.x11.display, "RANDR", &randr_opcode, &event_base, &error_base)) {
    return;
  }
  sdl_error_handler = XSetErrorHandler(tolerate_refused_switch);
}

}  // namespace

void start_display_guard(const SDL_DisplayMode& mode) {
  SDL_DisplayMode desktop;
  SDL_Rect monitor;
  if (guard_socket >= 0 || !is_x11() || SDL_GetDesktopDisplayMode(0, &desktop) != 0 ||
      SDL_GetDisplayBounds(0, &monitor) != 0 ||
      (desktop.w == mode.w && desktop.h == mode.h && desktop.refresh_rate == mode.refresh_rate)) {
    return;
  }
  const std::string path = find_guard();
  int ends[2];
  if (path.empty() || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    SDL_Log("display: cannot start %s: the desktop's mode is not guarded", guard_name);
    return;
  }
  const bool started = spawn_guard(path, ends[1], mode, monitor);
  ::close(ends[1]);
  if (!started) {
    ::close(ends[0]);
    SDL_Log("display: cannot start %s: the desktop's mode is not guarded", path.c_str());
    return;
  }
  guard_socket = ends[0];
}

void guard_display_mode(SDL_Window* window) {
  if (guard_socket >= 0) {
    char byte = 0;
    if (read_from_guard(byte) != 1) {
      SDL_Log("display: %s gave no answer: the desktop's mode is not guarded", guard_name);
      dismiss_guard(WNOHANG);  // a guard that answers late then leaves without touching anything
    } else {
      reap_launcher(0);
    }
  }
  tolerate_refused_switches(window);
  guarded_window = window;
  mode_changed = true;
  struct sigaction action {};
  action.sa_handler = on_crash;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal_number : crash_signals) sigaction(signal_number, &action, nullptr);
}

void stop_display_guard() {
  if (guard_socket >= 0) dismiss_guard(0);
}

void restore_display_mode() {
  if (!mode_changed.exchange(false)) return;
  if (guarded_window != nullptr) SDL_SetWindowFullscreen(guarded_window, 0);
  guarded_window = nullptr;
  if (guard_socket >= 0) dismiss_guard(0, display_refused ? refused : stand_down);
}
