// An X server of a test's own (Xvfb, or Xorg with the dummy driver), optionally with a window
// manager on it; both end with the object.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

class XServer {
 public:
  // Starts the server (its command line, without a display number) and waits until it takes
  // connections.
  explicit XServer(std::vector<std::string> argv);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // ":N", or empty when the server never came up.
  const std::string& display() const { return display_; }
  std::string file(const std::string& name) const { return dir_.file(name); }
  // Starts the window manager on this server; true once it manages the screen.
  bool start_window_manager(const std::string& program);

 private:
  TempDir dir_;
  std::string display_;
  int pid_ = -1;
  int window_manager_pid_ = -1;
};
