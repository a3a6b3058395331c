// Driving real windows on the test's X server as a user would: xdotool, xwininfo and a close
// request like a window manager's.
#pragma once

#include <string>
#include <vector>

#include "support/process.h"

using XWindow = unsigned long;

struct WindowGeometry {
  int x = -1, y = -1, width = 0, height = 0;
  bool viewable = false;
  std::string name;
};

bool display_available();

// Runs xdotool with these arguments; returns its standard output.
std::string xdotool(const std::vector<std::string>& args);

// Runs a tool that only reads the X server (xdotool search, xwininfo), again when it died of an
// X error: another client's window that goes while the tool walks the tree ends it (BadWindow).
ProcessResult run_x_query(const std::vector<std::string>& argv, double timeout_seconds = 20);

// The first window of a process (SDL marks its windows with the process id); 0 when none
// appears within the time.
XWindow find_window_of_process(int pid, double timeout_seconds);
// A visible window whose name matches this regular expression (as xdotool takes it).
XWindow find_window_named(const std::string& pattern, double timeout_seconds);
// A mapped top-level window with exactly this title, such as a message box.
XWindow find_top_level_titled(const std::string& title, double timeout_seconds);

// The X window that this process's current OpenGL context draws into; 0 when there is none.
XWindow x_window_of_current_context();

WindowGeometry window_geometry(XWindow window);
WindowGeometry root_geometry();

// Focuses the window and types keys (xdotool key names, e.g. "Escape", "alt+m").
void type_keys(XWindow window, const std::vector<std::string>& keys);
void key_down(XWindow window, const std::string& key);
void key_up(XWindow window, const std::string& key);

// Presses and releases a key in a window that may close on the press. xdotool presses through
// XTEST when the window has the focus but sends the release to the window itself, gone by then,
// and the X server would hold the key down for every later test.
void press_key_in(XWindow window, const std::string& key);

// WM_DELETE_WINDOW, as a window manager sends when the user clicks the close box.
bool send_close_request(XWindow window);
// Asks the window manager to make the window full screen, as its window menu does.
bool request_full_screen(XWindow window);

// The named windows on the screen and the one with the focus, for a failure's message.
std::string shown_windows();

// Presses Return in the settings dialog once it is on the screen; false when it never came.
bool press_start_in_settings_dialog(double timeout_seconds);

// Waits for the show's window of this process, pressing Return in the settings dialog if that
// comes up first. 0 when no show window appears within the time.
XWindow wait_for_show_window(int pid, double timeout_seconds);
