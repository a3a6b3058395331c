#include "stop_signal.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void note_signal(int signal) {
  if (caught == 0) caught = signal;
}

}  // namespace

void catch_stop_signals() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // writes to ffmpeg's pipe and to files go on undisturbed
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // One ignored at start stays so: nohup, or a script's job that Ctrl+C is not meant for.
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

int stop_signal() {
  return caught;
}

void end_by_signal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action of these three ends the process
}

const char* signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}
