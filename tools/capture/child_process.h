// The programs a capture starts (ffmpeg, ffprobe), each system its own way
// (child_process_posix.cpp, child_process_windows.cpp; CMake picks one).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Where the program `name` ("ffmpeg") is started from, or empty when it is not found: on PATH;
// on Windows `name`.exe, beside this program or on PATH.
std::string find_program(const char* name);
// ffmpeg and ffprobe both found.
bool ffmpeg_found();
// What is missing, for "--video needs ...".
const char* ffmpeg_missing();
// A write to a program that has ended fails instead of ending this one.
void ignore_broken_pipes();

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();  // stops a program still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] as find_program finds it, with the rest as its arguments. Its input is our
  // pipe (input()) when `piped_input`, else empty; its output is read back by read_output()
  // when `piped_output`; what it writes on stderr is kept for messages(). A terminal's Ctrl+C
  // does not reach it: the capture decides when it stops.
  bool start(const std::vector<std::string>& argv, bool piped_input, bool piped_output);
  // The write end of its input, binary; null when not piped or closed.
  std::FILE* input() const { return input_; }
  // False when the last writes could not be delivered.
  bool close_input();
  // All it writes on its output, until it closes it.
  std::string read_output();
  // Waits until it ends, stopping it if a stop signal comes; true when it ended with status 0.
  bool wait_ok();
  // Ends it at once, if running, and waits for it.
  void stop();
  // What it wrote on stderr so far.
  std::string messages();

 private:
  void close_all();

  std::intptr_t process_ = -1;  // pid, or a HANDLE
  std::intptr_t output_ = -1;   // the read end of its output: fd, or a HANDLE
  std::FILE* input_ = nullptr;
  std::FILE* messages_ = nullptr;
};
