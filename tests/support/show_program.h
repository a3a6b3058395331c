// The real program (SWIRLBEAM_BINARY) and the capture tool (SWIRLBEAM_CAPTURE) as the tests start
// them: this is the one place that does.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "support/process.h"
#include "support/temp_dir.h"

// No display (message boxes fail at once and their text goes to stderr), SDL's offscreen OpenGL
// and its silent audio driver, working in `dir`: the show as the headless tests run it.
ProcessOptions headless(const TempDir& dir);

// Long enough for start-up and scene set-up under the sanitizers, so that a run still going
// after it is playing the show.
constexpr double show_seconds = 5;

struct ShowRun {
  bool still_playing = false;  // had not ended by itself when the time was up
  ProcessResult result;        // after ending by itself, or after SIGTERM when still playing
};

// The program in a folder of fixture media (windowed, no music), its output in out.txt and
// err.txt there; killed when a test leaves it running. Fixtures derive from it or hold one.
class ShowProgram {
 public:
  ShowProgram();
  ~ShowProgram();
  ShowProgram(const ShowProgram&) = delete;
  ShowProgram& operator=(const ShowProgram&) = delete;

  void configure(bool fullscreen, int width, int height);
  // On the display the tests run under, with silent sound.
  ProcessOptions on_display() const;
  void start() { start(on_display()); }
  // Always in the folder, whatever `options.working_dir` says.
  void start(ProcessOptions options);
  // Waits for the end; the result carries stderr.
  ProcessResult finish(double seconds = 20);
  // Started headless (or with `options`); when still running after `seconds`, sent SIGTERM.
  ShowRun run_for(double seconds) { return run_for(headless(dir), seconds); }
  ShowRun run_for(const ProcessOptions& options, double seconds);
  void stop();
  std::string stderr_text() const;

  TempDir dir;
  int pid = -1;
  bool finished = false;
};

// The capture tool with no display and no video or audio driver chosen: it must manage on its
// own. `options` may add a working folder, variables and a time limit.
ProcessResult run_capture_tool(const std::vector<std::string>& args,
                               ProcessOptions options = ProcessOptions{});
// The same, started by `wrapper` (a program and its first arguments, such as a shell that mounts a
// small disk first), which is given the tool's path and then `args`.
ProcessResult run_capture_tool_through(const std::vector<std::string>& wrapper,
                                       const std::vector<std::string>& args,
                                       ProcessOptions options = ProcessOptions{});
// Started without waiting and with `options` as they are, its output going to the given files.
int start_capture_tool(const std::vector<std::string>& args, const ProcessOptions& options,
                       const std::string& out_file, const std::string& err_file);

bool has(const std::string& text, const std::string& part);
// A sanitizer's report on stderr: AddressSanitizer, LeakSanitizer or UBSan.
bool sanitizer_report(const std::string& err);

// config.dat's bytes for the given settings.
std::vector<unsigned char> settings_bytes(const Settings& s);
