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
  int fps = 0;  // 0: one written frame per show frame (100 a second, or 100/every)
  std::string png_dir;
  std::string video_file;
  std::string audio_file;
  std::string trace_file;
  std::string contact_sheet_file;
  std::string master_file;
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

constexpr int lowest_fps = 24;
constexpr int highest_fps = 100;

// Written frames are numbered in the output's own frames: show frames, or display frames with
// --fps. The frames the options ask to write: from `from` on, at most `frames` of them.
int output_frame_count(const CaptureOptions& options);
int last_written_frame(const CaptureOptions& options);
// The written frame that shows show frame `step`, or -1.
int written_frame_at_step(const CaptureOptions& options, int step);
bool is_kept_frame(const CaptureOptions& options, int step);
// The last show frame the written frames need.
int last_step_to_run(const CaptureOptions& options);

// The soundtrack of the written frames, as sample positions from the show's start at
// `sound_rate`: [first, end).
struct SoundSpan {
  long long first = 0;
  long long end = 0;
};
SoundSpan written_sound(const CaptureOptions& options);

// The written frames' rate for ffmpeg ("60", "100/3") and a closed group of pictures of half a
// second at that rate.
std::string output_frame_rate(const CaptureOptions& options);
int half_second_of_frames(const CaptureOptions& options);
