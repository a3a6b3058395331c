// The show's soundtrack, rendered off line beside the frames and written as a WAV file
// (44100 Hz, 16-bit stereo): the music from the show's start, each cue from the first sample of
// the frame that played it, the music's master volume as the frames set it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/sound.h"

// A 16-bit stereo PCM WAV file written as it goes; the sizes are filled in by close.
class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool open(const std::string& path, int rate, std::string& error);
  // The header counts only the frames taken whole: a failed write is not counted.
  bool write(const std::int16_t* stereo, int frames);
  bool close(std::string& error);
  // Closes and removes the file.
  void abandon();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  int rate_ = 0;
  std::uint64_t frames_ = 0;
};

// Needs the sound recording to have started before the scene set-up (ShowSession). Keeps the
// samples [first, end) of the soundtrack, counted from the show's start.
class SoundtrackWriter {
 public:
  bool open(const std::string& path, long long first, long long end, std::string& error);
  // Renders the sound of the show frame just run (one frame's samples), keeping what is wanted.
  bool add_frame();
  // Renders on past the last frame run until the wanted span is complete, then closes.
  bool close(std::string& error);
  void abandon() { wav_.abandon(); }

 private:
  bool render(int samples);

  WavWriter wav_;
  std::string path_;
  long long first_ = 0, end_ = 0;
  long long rendered_ = 0;
};
