#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
  int exit_status = -1;  // 0..255, or -1 when killed by a signal
  int signal = 0;
  bool timed_out = false;
  std::string out;
  std::string err;
};

struct ProcessOptions {
  std::string working_dir;
  // Variables to set; an empty optional removes the variable.
  std::map<std::string, std::optional<std::string>> env;
  double timeout_seconds = 60;
  // Run as this user id (and group) when we are root; 0 keeps our own.
  unsigned run_as_uid = 0;
};

// Runs a program and collects its exit status and output.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options);

// Starts a program without waiting; its output goes to the given files.
int start_process(const std::vector<std::string>& argv, const ProcessOptions& options,
                  const std::string& out_file, const std::string& err_file);
// Waits for a started program for at most `timeout_seconds`, then kills it.
ProcessResult wait_process(int pid, double timeout_seconds);
// The same, with what the program wrote to its stderr file.
ProcessResult wait_process(int pid, double timeout_seconds, const std::string& err_file);
