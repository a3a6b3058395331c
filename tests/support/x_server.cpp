#include "support/x_server.h"

#include <signal.h>
#include <unistd.h>

#include "support/fixtures.h"
#include "support/process.h"

XServer::XServer(std::vector<std::string> argv) {
  argv.insert(argv.begin() + 1, {"-displayfd", "1"});
  pid_ = start_process(argv, ProcessOptions{}, dir_.file("display"), dir_.file("server.err"));
  for (int i = 0; i < 400; ++i) {  // it writes its display number once it takes connections
    const std::string number = read_text(dir_.file("display"));
    if (number.find('\n') != std::string::npos) {
      display_ = ":" + number.substr(0, number.find('\n'));
      break;
    }
    ::usleep(50000);
  }
}

XServer::~XServer() {
  for (const int pid : {window_manager_pid_, pid_}) {
    if (pid <= 0) continue;
    ::kill(pid, SIGTERM);
    wait_process(pid, 10);
  }
}

bool XServer::start_window_manager(const std::string& program) {
  ProcessOptions options;
  options.env["DISPLAY"] = display_;
  window_manager_pid_ = start_process({program}, options, dir_.file("wm.out"), dir_.file("wm.err"));
  for (int i = 0; i < 200; ++i) {  // it names itself on the root window once it manages it
    const std::string root =
        run_process({"/usr/bin/xprop", "-display", display_, "-root", "_NET_SUPPORTING_WM_CHECK"},
                    ProcessOptions{})
            .out;
    if (root.find("window id") != std::string::npos) return true;
    ::usleep(50000);
  }
  return false;
}
