// What ffmpeg is told to make of the captured frames: a video to publish, or a lossless master
// to edit from.
#pragma once

#include <string>
#include <vector>

struct VideoFormat {
  std::vector<std::string> pictures;   // output options that encode the raw RGB frames
  std::vector<std::string> sound;      // output options that encode the WAV soundtrack
  std::vector<std::string> container;  // output options of every file written
  std::string side_suffix;             // the pictures' file before the sound is muxed in
};

// H.264 High in 4:2:0 with the BT.709 matrix in limited range, tagged so; a closed group of
// `gop_frames`; the index first; AAC-LC at 48 kHz that starts with the first frame.
VideoFormat publishing_video(int gop_frames);
// FFV1 in planar RGB and FLAC at the mix's own rate: both lossless, and the same bytes each run.
VideoFormat lossless_master();
