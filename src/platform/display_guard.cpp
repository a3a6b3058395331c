#include "platform/display_guard.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
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

// Not async-signal-safe, but the process is going down anyway and the desktop matters more.
void on_crash(int signal_number) {
  restore_display_mode();
  std::raise(signal_number);  // the handler was reset, so this dies as before
}

bool is_x11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && SDL_strcmp(driver, "x11") == 0;
}

// Beside our own executable (the build folder, or an installed bin folder), in our libexec folder
// beside that, or where it was installed.
std::string find_guard() {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string folder = length > 0 ? std::string(self, static_cast<size_t>(length)) : "";
  folder = folder.substr(0, folder.rfind('/') + 1);
  std::string candidates[] = {folder + guard_name, folder + "../libexec/swirlbeam/" + guard_name,
#ifdef SWIRLBEAM_GUARD_INSTALLED
                              SWIRLBEAM_GUARD_INSTALLED
#endif
  };
  for (const std::string& path : candidates) {
    if (!path.empty() && path[0] == '/' && ::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

bool spawn_guard(const std::string& path, int guard_end) {
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
  char* argv[] = {const_cast<char*>(guard_name), nullptr};
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

}  // namespace

void start_display_guard(const SDL_DisplayMode& mode) {
  SDL_DisplayMode desktop;
  if (guard_socket >= 0 || !is_x11() || SDL_GetDesktopDisplayMode(0, &desktop) != 0 ||
      (desktop.w == mode.w && desktop.h == mode.h && desktop.refresh_rate == mode.refresh_rate)) {
    return;
  }
  const std::string path = find_guard();
  int ends[2];
  if (path.empty() || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    SDL_Log("display: cannot start %s: the desktop's mode is not guarded", guard_name);
    return;
  }
  const bool started = spawn_guard(path, ends[1]);
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
    pollfd ready{guard_socket, POLLIN, 0};
    char byte = 0;
    if (::poll(&ready, 1, guard_ready_ms) != 1) {
      SDL_Log("display: %s did not answer: the desktop's mode is not guarded", guard_name);
      ::close(guard_socket);  // a guard that answers late then leaves without touching anything
      guard_socket = -1;
      reap_launcher(WNOHANG);
    } else if (::read(guard_socket, &byte, 1) != 1) {
      stop_display_guard();  // it could not record the mode, and said why
    } else {
      reap_launcher(0);
    }
  }
  guarded_window = window;
  mode_changed = true;
  struct sigaction action {};
  action.sa_handler = on_crash;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal_number : crash_signals) sigaction(signal_number, &action, nullptr);
}

void stop_display_guard() {
  if (guard_socket < 0) return;
  ::close(guard_socket);
  guard_socket = -1;
  reap_launcher(0);
}

void restore_display_mode() {
  if (!mode_changed.exchange(false)) return;
  if (guarded_window != nullptr) SDL_SetWindowFullscreen(guarded_window, 0);
  guarded_window = nullptr;
}
