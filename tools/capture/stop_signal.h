// Ctrl+C, SIGTERM and SIGHUP during a capture: noted here, acted on between frames, so that the
// run can take away what it had begun and end as the signal would have ended it. On Windows:
// Ctrl+C, Ctrl+Break and the console's closing (stop_signal_windows.cpp).
#pragma once

// From now on SIGINT, SIGTERM and SIGHUP only set the note, except those ignored at start.
void catch_stop_signals();
// The signal that asked the run to stop, or 0.
int stop_signal();
// Ends the process with `signal`'s own status (the default action, as if never caught).
[[noreturn]] void end_by_signal(int signal);
// "SIGINT", "SIGTERM", "SIGHUP".
const char* signal_name(int signal);
