#include "platform/display_guard.h"

#include <SDL.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> mode_changed{false};
SDL_Window* guarded_window = nullptr;

constexpr int crash_signals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

// Not async-signal-safe, but the process is going down anyway and the desktop matters more.
void on_crash(int signal_number) {
  restore_display_mode();
  std::raise(signal_number);  // the handler was reset, so this dies as before
}

}  // namespace

void guard_display_mode(SDL_Window* window) {
  guarded_window = window;
  mode_changed = true;
  struct sigaction action {};
  action.sa_handler = on_crash;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal_number : crash_signals) sigaction(signal_number, &action, nullptr);
}

void restore_display_mode() {
  if (!mode_changed.exchange(false)) return;
  if (guarded_window != nullptr) SDL_SetWindowFullscreen(guarded_window, 0);
  guarded_window = nullptr;
}
