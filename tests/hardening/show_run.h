// The real program on a media folder, headless: no display (message boxes fail at once and their
// text goes to stderr), offscreen OpenGL, silent audio driver.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "support/process.h"
#include "support/temp_dir.h"

ProcessOptions headless(const TempDir& dir);

struct ShowRun {
  bool still_playing = false;  // had not ended by itself when the time was up
  ProcessResult result;        // after ending by itself, or after SIGTERM when still playing
};

// Starts the program; when it is still running after `seconds`, sends SIGTERM and waits.
ShowRun run_for(const TempDir& dir, const ProcessOptions& options, double seconds);
ShowRun run_for(const TempDir& dir, double seconds);

// Long enough for start-up and scene set-up under the sanitizers, so that a run still going
// after it is playing the show.
constexpr double show_seconds = 5;

bool has(const std::string& text, const std::string& part);
// A sanitizer's report on stderr: AddressSanitizer, LeakSanitizer or UBSan.
bool sanitizer_report(const std::string& err);

// config.dat's bytes for the given settings.
std::vector<unsigned char> settings_bytes(const Settings& s);
