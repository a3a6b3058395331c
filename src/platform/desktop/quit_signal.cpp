#include "platform/desktop/desktop.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t quit_requested = 0;

void on_quit_signal(int) {
  quit_requested = 1;
}

}  // namespace

void install_quit_signals() {
  struct sigaction action {};
  action.sa_handler = on_quit_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);  // the terminal it was started from went away
}

bool quit_signalled() {
  return quit_requested != 0;
}
