#include "show_run.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

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
  return headless_options(dir.path());
}

ShowRun run_for(const TempDir& dir, const ProcessOptions& options, double seconds) {
  const std::string out = dir.file(".out"), err = dir.file(".err");
  const int pid = start_process({SWIRLBEAM_BINARY}, options, out, err);
  ShowRun run;
  run.still_playing = !ended_within(pid, seconds);
  if (run.still_playing) ::kill(pid, SIGTERM);
  run.result = wait_process(pid, 30);
  run.result.err = read_text(err);
  return run;
}

ShowRun run_for(const TempDir& dir, double seconds) {
  return run_for(dir, headless(dir), seconds);
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
