// The capture tool's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CaptureOptions {
  std::string media_dir;  // empty: the working folder
  int width = 640;
  int height = 480;
  std::uint32_t seed = 1;
  int from = 0;
  int frames = 0;  // 0: on to the end of the show
  int every = 1;
  std::string png_dir;
  std::string video_file;
  std::string audio_file;
  std::string trace_file;
  std::string contact_sheet_file;
  bool bench = false;
  bool play = false;  // in real time to the sound output, from `from` on
  int buffer = 0;     // the output's buffer in stereo frames; 0: the show's own
  bool help = false;
};

struct ParsedOptions {
  CaptureOptions options;
  std::string error;  // one line; empty when the options are good
};

// `args` without the program name.
ParsedOptions parse_options(const std::vector<std::string>& args);
const char* usage_text();

// The frames the options ask to write: from `from` on, at most `frames` of them, within the show.
int last_written_frame(const CaptureOptions& options);
bool is_kept_frame(const CaptureOptions& options, int frame);
