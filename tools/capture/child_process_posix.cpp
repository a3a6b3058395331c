#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "child_process.h"
#include "stop_signal.h"

extern char** environ;

namespace {

constexpr auto wait_poll = std::chrono::milliseconds(10);

// A file for a program's messages that its sibling programs do not inherit.
std::FILE* message_file() {
  std::FILE* file = std::tmpfile();
  if (file != nullptr) fcntl(fileno(file), F_SETFD, FD_CLOEXEC);
  return file;
}

}  // namespace

std::string find_program(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string file = folder + "/" + name;
    struct stat info {};
    if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0)
      return file;
    start = end + 1;
  }
  return {};
}

bool ffmpeg_found() {
  return !find_program("ffmpeg").empty() && !find_program("ffprobe").empty();
}

const char* ffmpeg_missing() {
  return "ffmpeg and ffprobe, which are not on PATH (Debian: apt-get install ffmpeg)";
}

void ignore_broken_pipes() {
  std::signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
  stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, bool piped_input,
                         bool piped_output) {
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if ((piped_input && pipe2(in, O_CLOEXEC) != 0) || (piped_output && pipe2(out, O_CLOEXEC) != 0)) {
    for (int fd : {in[0], in[1]})
      if (fd >= 0) ::close(fd);
    return false;
  }
  messages_ = message_file();
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (piped_input) {
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (piped_output) posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (messages_ != nullptr)
    posix_spawn_file_actions_adddup2(&actions, fileno(messages_), STDERR_FILENO);
  // Its own process group keeps a terminal's Ctrl+C for us.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (piped_input) ::close(in[0]);
  if (piped_output) ::close(out[1]);
  if (failed != 0) {
    if (piped_input) ::close(in[1]);
    if (piped_output) ::close(out[0]);
    return false;
  }
  process_ = pid;
  if (piped_output) output_ = out[0];
  if (piped_input) {
    input_ = fdopen(in[1], "wb");
    if (input_ == nullptr) ::close(in[1]);
  }
  return !piped_input || input_ != nullptr;
}

std::string ChildProcess::read_output() {
  std::string out;
  if (output_ < 0) return out;
  char chunk[256];
  ssize_t n = 0;
  while ((n = read(static_cast<int>(output_), chunk, sizeof chunk)) > 0 ||
         (n < 0 && errno == EINTR)) {
    if (n > 0) out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(static_cast<int>(output_));
  output_ = -1;
  return out;
}

bool ChildProcess::wait_ok() {
  if (process_ < 0) return false;
  const auto pid = static_cast<pid_t>(process_);
  int status = 0;
  for (;;) {
    const int done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      process_ = -1;
      return false;
    }
    if (stop_signal() != 0) kill(pid, SIGKILL);
    std::this_thread::sleep_for(wait_poll);
  }
  process_ = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ChildProcess::stop() {
  close_input();
  if (process_ > 0) {
    kill(static_cast<pid_t>(process_), SIGKILL);
    waitpid(static_cast<pid_t>(process_), nullptr, 0);
    process_ = -1;
  }
  close_all();
}

void ChildProcess::close_all() {
  if (output_ >= 0) ::close(static_cast<int>(output_));
  output_ = -1;
  if (messages_ != nullptr) std::fclose(messages_);
  messages_ = nullptr;
}
