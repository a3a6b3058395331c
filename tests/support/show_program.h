// One run of the real program (SWIRLBEAM_BINARY) in a folder of fixture media, for fixtures that
// drive it from outside; killed when a test leaves it running.
#pragma once

#include <signal.h>

#include <string>

#include "core/settings.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/temp_dir.h"

class ShowProgram {
 protected:
  ShowProgram() { write_fixture_media(dir.path(), false); }
  ~ShowProgram() { stop(); }

  void configure(bool fullscreen, int width, int height) {
    Settings s;
    s.fullscreen = fullscreen ? 1 : 0;
    s.width = width;
    s.height = height;
    write_settings(dir.file("config.dat"), s);
  }
  // With silent sound, its output in out.txt and err.txt.
  void start() {
    ProcessOptions options;
    options.working_dir = dir.path();
    options.env["SDL_AUDIODRIVER"] = "dummy";
    finished = false;
    pid = start_process({SWIRLBEAM_BINARY}, options, dir.file("out.txt"), dir.file("err.txt"));
  }
  // Waits for the end; the result carries stderr.
  ProcessResult finish(double seconds = 20) {
    ProcessResult r = wait_process(pid, seconds);
    finished = true;
    r.err = stderr_text();
    return r;
  }
  void stop() {
    if (pid <= 0 || finished) return;
    ::kill(pid, SIGKILL);
    wait_process(pid, 5);
    finished = true;
  }
  std::string stderr_text() const { return read_text(dir.file("err.txt")); }

  TempDir dir;
  int pid = -1;
  bool finished = false;
};
