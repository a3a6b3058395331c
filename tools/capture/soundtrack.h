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
  bool write(const std::int16_t* stereo, int frames);
  bool close(std::string& error);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  int rate_ = 0;
  std::uint64_t frames_ = 0;
};

// Needs the sound recording to have started before the scene set-up (ShowSession).
class SoundtrackWriter {
 public:
  bool open(const std::string& path, std::string& error) {
    return wav_.open(path, sound_rate, error);
  }
  // Renders the sound of the frame just run (one frame's samples); writes it when `keep`.
  bool add_frame(bool keep);
  bool close(std::string& error) { return wav_.close(error); }

 private:
  WavWriter wav_;
};
