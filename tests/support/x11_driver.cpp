#include "support/x11_driver.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "support/process.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string run_tool(const std::string& tool, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"/usr/bin/" + tool};
  argv.insert(argv.end(), args.begin(), args.end());
  if (tool == "xwininfo" || (!args.empty() && args[0] == "search")) return run_x_query(argv).out;
  ProcessOptions options;
  options.timeout_seconds = 20;
  return run_process(argv, options).out;
}

XWindow first_number(const std::string& text) {
  std::istringstream in(text);
  XWindow window = 0;
  in >> window;
  return window;
}

template <typename Find>
XWindow poll_for(double timeout_seconds, Find find) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeout_seconds);
  do {
    if (const XWindow window = find()) return window;
    ::usleep(50000);
  } while (Clock::now() < deadline);
  return 0;
}

WindowGeometry parse_xwininfo(const std::string& text) {
  WindowGeometry g;
  std::smatch m;
  if (std::regex_search(text, m, std::regex("Absolute upper-left X:\\s+(-?\\d+)")))
    g.x = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex("Absolute upper-left Y:\\s+(-?\\d+)")))
    g.y = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex("Width:\\s+(\\d+)"))) g.width = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex("Height:\\s+(\\d+)"))) g.height = std::stoi(m[1]);
  if (std::regex_search(text, m, std::regex("xwininfo: Window id: \\S+ \"([^\"]*)\"")))
    g.name = m[1];
  g.viewable = text.find("IsViewable") != std::string::npos;
  return g;
}

}  // namespace

ProcessResult run_x_query(const std::vector<std::string>& argv, double timeout_seconds) {
  ProcessOptions options;
  options.timeout_seconds = timeout_seconds;
  ProcessResult result;
  for (int attempt = 0; attempt < 5; ++attempt) {
    result = run_process(argv, options);
    if (result.err.find("X Error of failed request") == std::string::npos) break;
  }
  return result;
}

bool display_available() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

std::string xdotool(const std::vector<std::string>& args) {
  return run_tool("xdotool", args);
}

XWindow find_window_of_process(int pid, double timeout_seconds) {
  return poll_for(timeout_seconds, [&] {
    return first_number(xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}));
  });
}

XWindow find_window_named(const std::string& pattern, double timeout_seconds) {
  return poll_for(timeout_seconds, [&] {
    return first_number(xdotool({"search", "--onlyvisible", "--name", pattern}));
  });
}

XWindow find_top_level_titled(const std::string& title, double timeout_seconds) {
  const std::string quoted = "\"" + title + "\"";
  return poll_for(timeout_seconds, [&]() -> XWindow {
    std::istringstream lines(run_tool("xwininfo", {"-root", "-children"}));
    for (std::string line; std::getline(lines, line);) {
      if (line.find(quoted) == std::string::npos) continue;
      // A box that is named but not yet mapped has not asked for keys yet: they would be lost.
      const XWindow window = std::strtoul(line.c_str(), nullptr, 16);
      if (window_geometry(window).viewable) return window;
    }
    return 0;
  });
}

XWindow x_window_of_current_context() {
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return 0;
  }
  return info.info.x11.window;
}

WindowGeometry window_geometry(XWindow window) {
  return parse_xwininfo(run_tool("xwininfo", {"-id", std::to_string(window)}));
}

WindowGeometry root_geometry() {
  return parse_xwininfo(run_tool("xwininfo", {"-root"}));
}

void type_keys(XWindow window, const std::vector<std::string>& keys) {
  xdotool({"windowfocus", "--sync", std::to_string(window)});
  for (const std::string& key : keys) xdotool({"key", "--clearmodifiers", key});
}

void key_down(XWindow window, const std::string& key) {
  xdotool({"windowfocus", "--sync", std::to_string(window)});
  xdotool({"keydown", key});
}

void key_up(XWindow window, const std::string& key) {
  xdotool({"windowfocus", "--sync", std::to_string(window)});
  xdotool({"keyup", key});
}

namespace {

bool send_client_message(XWindow window, XWindow to, const char* type, long first, long second) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, type, False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = first;
  event.xclient.data.l[1] = second;
  const long mask = to == window ? NoEventMask : SubstructureRedirectMask | SubstructureNotifyMask;
  const Status sent =
      XSendEvent(display, to == 0 ? DefaultRootWindow(display) : to, False, mask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return sent != 0;
}

Atom atom(const char* name) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return None;
  const Atom found = XInternAtom(display, name, False);
  XCloseDisplay(display);
  return found;
}

}  // namespace

bool send_close_request(XWindow window) {
  return send_client_message(window, window, "WM_PROTOCOLS",
                             static_cast<long>(atom("WM_DELETE_WINDOW")), CurrentTime);
}

bool request_full_screen(XWindow window) {
  constexpr long add = 1;
  return send_client_message(window, 0, "_NET_WM_STATE", add,
                             static_cast<long>(atom("_NET_WM_STATE_FULLSCREEN")));
}

void press_key_in(XWindow window, const std::string& key) {
  xdotool({"key", "--window", std::to_string(window), key});
  xdotool({"keyup", key});
}

std::string shown_windows() {
  std::istringstream tree(run_tool("xwininfo", {"-root", "-tree"}));
  std::string named;
  for (std::string line; std::getline(tree, line);) {
    if (line.find('"') != std::string::npos) named += line + "\n";
  }
  return named + "focus: " + xdotool({"getwindowfocus", "getwindowname"});
}

bool press_start_in_settings_dialog(double timeout_seconds) {
  const XWindow dialog = find_window_named("^Swirlbeam - Configuration$", timeout_seconds);
  if (dialog == 0) return false;
  xdotool({"windowfocus", "--sync", std::to_string(dialog)});
  press_key_in(dialog, "Return");
  return true;
}

XWindow wait_for_show_window(int pid, double timeout_seconds) {
  int polls = 0;
  return poll_for(timeout_seconds, [&]() -> XWindow {
    // Once a second while the dialog stays: a Return that came before it took keys (a window
    // manager still placing it, a loaded machine) is lost.
    if (polls++ % 20 == 0) press_start_in_settings_dialog(0);
    return first_number(xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid),
                                 "--name", "^Swirlbeam$"}));
  });
}
