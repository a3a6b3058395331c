// Running swirlbeam-capture on small media and reading what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/show_program.h"
#include "support/temp_dir.h"

std::vector<std::string> read_lines(const std::string& path);
// ffmpeg and ffprobe on PATH, as --video and --master need them.
bool have_ffmpeg();
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folder_entries(const std::string& path);
// A message of exactly one line.
bool has_one_line(const std::string& text);
// The raw text of a top-level or nested field's value in a trace line: "stage" gives "3".
std::string json_value(const std::string& line, const std::string& name);

struct Wav {
  std::uint32_t rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
};
// A 16-bit PCM WAV as the tool writes it; empty samples when the file is not one.
Wav read_wav(const std::string& path);
double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);

// The tool on the fixture media at a small size, writing into `out`.
class CaptureRuns : public ::testing::Test {
 protected:
  void SetUp() override { write_fixture_media(media.path(), false); }

  ProcessResult capture(std::vector<std::string> args) {
    args.insert(args.begin(), {"--media", media.path(), "--size", "64x48"});
    return run_capture_tool(args);
  }

  TempDir media;
  TempDir out;
};
