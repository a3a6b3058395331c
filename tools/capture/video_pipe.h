// Frames piped as raw RGB into ffmpeg, which encodes them and muxes in the soundtrack.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "video_formats.h"

// True when `name` is an executable file in a folder of PATH.
bool program_on_path(const char* name);

class VideoPipe {
 public:
  VideoPipe() = default;
  ~VideoPipe();
  VideoPipe(const VideoPipe&) = delete;
  VideoPipe& operator=(const VideoPipe&) = delete;

  // Starts ffmpeg for frames of this size at `frame_rate` ("60", "100/3"). With `with_audio` the
  // pictures go to a side file first, muxed with the soundtrack by close.
  bool open(const std::string& path, int width, int height, const std::string& frame_rate,
            const VideoFormat& format, bool with_audio, std::string& error);
  // `rgb`: rows top first.
  bool write_frame(const std::vector<std::uint8_t>& rgb);
  // Ends the stream, waits for ffmpeg and, given a WAV file, muxes it in.
  bool close(const std::string& audio_path, std::string& error);

 private:
  std::string path_;
  VideoFormat format_;
  std::string pictures_path_;  // what the first ffmpeg writes
  std::FILE* pipe_ = nullptr;
  int pid_ = -1;
};
