#include "video_formats.h"

namespace {

// The AAC encoder's priming: decoders put this many silent samples before the first one given.
// Dropping as many from the start of the soundtrack puts every later sample at its picture's time
// without an edit list, which some players ignore.
constexpr const char* aac_priming_samples = "1024";

}  // namespace

VideoFormat publishing_video(int gop_frames) {
  const std::string gop = std::to_string(gop_frames);
  VideoFormat f;
  f.pictures = {
      // 4:2:0 wants even sides; ffmpeg would convert with the BT.601 matrix unless told
      "-vf",
      "pad=ceil(iw/2)*2:ceil(ih/2)*2,scale=out_color_matrix=bt709:out_range=tv:flags=bicubic+"
      "accurate_rnd+full_chroma_int,format=yuv420p",
      "-c:v",
      "libx264",
      "-preset",
      "veryfast",
      "-crf",
      "18",
      "-profile:v",
      "high",
      "-g",
      gop,
      "-bf",
      "2",  // upload guidance: at most two B-frames in a row
      "-keyint_min",
      gop,
      "-sc_threshold",
      "0",
      "-flags",
      "+cgop",
      "-colorspace",
      "bt709",
      "-color_primaries",
      "bt709",
      "-color_trc",
      "bt709",
      "-color_range",
      "tv"};
  // As much silence after the sound as is taken off its start: the sound keeps its length, and a
  // clip shorter than the priming keeps a sound at all.
  f.sound = {"-af",
             std::string("aresample=48000:resampler=soxr:precision=28,apad=pad_len=") +
                 aac_priming_samples + ",atrim=start_sample=" + aac_priming_samples +
                 ",asetpts=N/SR/TB",
             "-c:a",
             "aac",
             "-profile:a",
             "aac_low",
             "-b:a",
             "384k",
             "-ar",
             "48000",
             "-ac",
             "2"};
  // B-frames start the pictures before their first decode time: negative composition offsets
  // keep the first picture at time 0 without an edit list.
  f.container = {"-movflags", "+faststart+negative_cts_offsets", "-use_editlist", "0"};
  f.side_suffix = ".pictures.mp4";
  return f;
}

VideoFormat lossless_master() {
  VideoFormat f;
  // ffmpeg's decoder hands 8-bit FFV1 RGB out packed, as bgr0; the pictures are sRGB.
  f.pictures = {"-c:v",
                "ffv1",
                "-level",
                "3",
                "-g",
                "1",
                "-slices",
                "4",
                "-slicecrc",
                "1",
                "-pix_fmt",
                "gbrp",
                "-color_primaries",
                "bt709",
                "-color_trc",
                "iec61966-2-1",
                "-colorspace",
                "rgb"};
  f.sound = {"-c:a", "flac"};
  // No random identifiers, dates or version strings.
  f.container = {"-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact"};
  f.side_suffix = ".pictures.mkv";
  return f;
}
