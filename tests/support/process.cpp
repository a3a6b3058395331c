#include "support/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void exec_child(const std::vector<std::string>& argv, const ProcessOptions& options) {
  if (!options.working_dir.empty() && ::chdir(options.working_dir.c_str()) != 0) _exit(126);
  for (const auto& [name, value] : options.env) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  if (options.run_as_uid != 0 && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(options.run_as_uid) != 0 ||
        ::setuid(options.run_as_uid) != 0) {
      _exit(126);
    }
  }
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  _exit(127);
}

ProcessResult finish(int pid, int status, bool timed_out) {
  (void)pid;
  ProcessResult result;
  result.timed_out = timed_out;
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options) {
  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const int pid = ::fork();
  if (pid == 0) {
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    exec_child(argv, options);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);

  std::string out, err;
  const auto deadline = Clock::now() + std::chrono::duration<double>(options.timeout_seconds);
  bool timed_out = false;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_pipes = 2;
  while (open_pipes > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      ::kill(pid, SIGKILL);
      break;
    }
    if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      } else {
        (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  for (auto& fd : fds) {
    if (fd.fd >= 0) ::close(fd.fd);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult result = finish(pid, status, timed_out);
  result.out = std::move(out);
  result.err = std::move(err);
  return result;
}

int start_process(const std::vector<std::string>& argv, const ProcessOptions& options,
                  const std::string& out_file, const std::string& err_file) {
  const int pid = ::fork();
  if (pid == 0) {
    const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(126);
    ::dup2(out, 1);
    ::dup2(err, 2);
    exec_child(argv, options);
  }
  return pid;
}

ProcessResult wait_process(int pid, double timeout_seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeout_seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return finish(pid, status, true);
    }
    ::usleep(20000);
  }
  return finish(pid, status, false);
}

ProcessResult wait_process(int pid, double timeout_seconds, const std::string& err_file) {
  ProcessResult result = wait_process(pid, timeout_seconds);
  std::ifstream err(err_file);
  result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return result;
}
