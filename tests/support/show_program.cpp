#include "support/show_program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <utility>

#include "support/fixtures.h"

namespace {

// Looks without reaping, so that wait_process still collects the status.
bool ended_within(int pid, double seconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  do {
    siginfo_t info{};
    if (::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
      return true;
    }
    ::usleep(20000);
  } while (Clock::now() < deadline);
  return false;
}

}  // namespace

ProcessOptions headless(const TempDir& dir) {
  ProcessOptions options;
  options.working_dir = dir.path();
  options.env["DISPLAY"] = std::nullopt;
  options.env["WAYLAND_DISPLAY"] = std::nullopt;
  options.env["SDL_VIDEODRIVER"] = "offscreen";
  options.env["SDL_AUDIODRIVER"] = "dummy";
  return options;
}

ShowProgram::ShowProgram() {
  write_fixture_media(dir.path(), false);
}

ShowProgram::~ShowProgram() {
  stop();
}

void ShowProgram::configure(bool fullscreen, int width, int height) {
  Settings s;
  s.fullscreen = fullscreen ? 1 : 0;
  s.width = width;
  s.height = height;
  write_settings(dir.file("config.dat"), s);
}

ProcessOptions ShowProgram::on_display() const {
  ProcessOptions options;
  options.env["SDL_AUDIODRIVER"] = "dummy";
  return options;
}

void ShowProgram::start(ProcessOptions options) {
  stop();
  options.working_dir = dir.path();
  finished = false;
  pid = start_process({SWIRLBEAM_BINARY}, options, dir.file("out.txt"), dir.file("err.txt"));
}

ProcessResult ShowProgram::finish(double seconds) {
  ProcessResult r = wait_process(pid, seconds);
  finished = true;
  r.err = stderr_text();
  return r;
}

ShowRun ShowProgram::run_for(const ProcessOptions& options, double seconds) {
  start(options);
  ShowRun run;
  run.still_playing = !ended_within(pid, seconds);
  if (run.still_playing) ::kill(pid, SIGTERM);
  run.result = finish(30);
  return run;
}

void ShowProgram::stop() {
  if (pid <= 0 || finished) return;
  ::kill(pid, SIGKILL);
  wait_process(pid, 5);
  finished = true;
}

std::string ShowProgram::stderr_text() const {
  return read_text(dir.file("err.txt"));
}

ProcessResult run_capture_tool(const std::vector<std::string>& args, ProcessOptions options) {
  return run_capture_tool_through({}, args, std::move(options));
}

ProcessResult run_capture_tool_through(const std::vector<std::string>& wrapper,
                                       const std::vector<std::string>& args,
                                       ProcessOptions options) {
  std::vector<std::string> argv = wrapper;
  argv.push_back(SWIRLBEAM_CAPTURE);
  argv.insert(argv.end(), args.begin(), args.end());
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER"}) {
    options.env.emplace(name, std::nullopt);  // unless the caller set it
  }
  if (options.timeout_seconds == ProcessOptions{}.timeout_seconds) options.timeout_seconds = 180;
  return run_process(argv, options);
}

int start_capture_tool(const std::vector<std::string>& args, const ProcessOptions& options,
                       const std::string& out_file, const std::string& err_file) {
  std::vector<std::string> argv = {SWIRLBEAM_CAPTURE};
  argv.insert(argv.end(), args.begin(), args.end());
  return start_process(argv, options, out_file, err_file);
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool sanitizer_report(const std::string& err) {
  return has(err, "AddressSanitizer") || has(err, "LeakSanitizer") || has(err, "runtime error:");
}

std::vector<unsigned char> settings_bytes(const Settings& s) {
  const SettingsBytes b = encode_settings(s);
  return {b.begin(), b.end()};
}
