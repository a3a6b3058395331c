// Frames piped as raw RGB into ffmpeg, which encodes them and muxes in the soundtrack. The file
// appears at its name only once ffprobe has found every frame (and the sound) in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "child_process.h"
#include "video_formats.h"

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
  // Ends the stream, waits for ffmpeg, checks its file and, given a WAV file, muxes it in. When
  // only the mux fails, the pictures' side file stays and `error` names it. Empty `error` on
  // failure: a stop signal came.
  bool close(const std::string& audio_path, std::string& error);
  // After a failed write: ffmpeg's last word on why it stopped.
  std::string why();
  // Stops ffmpeg and removes everything it wrote but pictures close said it kept.
  void abandon();

  // What is written before the file is whole.
  const std::string& partial_path() const { return partial_path_; }
  const std::string& pictures_path() const { return pictures_path_; }

 private:
  bool remove_all();  // false, for the caller to return

  std::string path_;
  VideoFormat format_;
  std::string pictures_path_;  // what the first ffmpeg writes
  std::string partial_path_;   // the file until it is checked
  ChildProcess encoder_;       // the ffmpeg the frames go to
  long long frames_ = 0;
  bool pictures_kept_ = false;
};

// The side file names of an output `path` (which ends in an extension ffmpeg knows).
std::string partial_path_of(const std::string& path);
std::string pictures_path_of(const std::string& path, const VideoFormat& format);
