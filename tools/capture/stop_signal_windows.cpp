// Windows has no SIGTERM or SIGHUP to send: Ctrl+C and Ctrl+Break in the console, and the console
// being closed, are what stop a capture. They come on a thread of the system's.
#include <windows.h>

#include <csignal>
#include <cstdlib>

#include "stop_signal.h"

namespace {

volatile LONG caught = 0;

BOOL WINAPI note_console_event(DWORD event) {
  LONG signal = 0;
  switch (event) {
    case CTRL_C_EVENT:
      signal = SIGINT;
      break;
    case CTRL_BREAK_EVENT:
      signal = SIGBREAK;
      break;
    case CTRL_CLOSE_EVENT:
      signal = SIGTERM;
      break;
    default:
      return FALSE;
  }
  InterlockedCompareExchange(&caught, signal, 0);
  // Windows ends the process once this returns from a close: the frame loop has a few seconds
  // to take away what the run had begun, and ends the process itself.
  if (event == CTRL_CLOSE_EVENT) Sleep(4000);
  return TRUE;
}

}  // namespace

void catch_stop_signals() {
  SetConsoleCtrlHandler(note_console_event, TRUE);
}

int stop_signal() {
  return static_cast<int>(caught);
}

// As a console program that Ctrl+C ends (cmd shows -1073741510).
void end_by_signal(int) {
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

const char* signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "Ctrl+C";
    case SIGBREAK:
      return "Ctrl+Break";
    case SIGTERM:
      return "the console's closing";
    default:
      return "a signal";
  }
}
