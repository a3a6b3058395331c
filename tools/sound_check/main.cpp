// swirlbeam-sound-check: a recording of the show's sound output against its off-line soundtrack
// (swirlbeam-capture --audio), printed as figures: residual, gaps, where the cues landed.
//   swirlbeam-sound-check SOUNDTRACK.wav MUSIC.wav RECORDING.wav
// MUSIC.wav is the same stretch captured with silent cue samples; --windows lists each window.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "recording_match.h"

int main(int argc, char** argv) {
  const bool each_window = argc == 5 && std::string(argv[4]) == "--windows";
  if (argc != 4 && !each_window) {
    std::fprintf(
        stderr,
        "usage: swirlbeam-sound-check SOUNDTRACK.wav MUSIC.wav RECORDING.wav [--windows]\n");
    return 2;
  }
  StereoPcm soundtrack, music, recording;
  std::string error;
  if (!read_stereo_wav(argv[1], soundtrack, error) || !read_stereo_wav(argv[2], music, error) ||
      !read_stereo_wav(argv[3], recording, error)) {
    std::fprintf(stderr, "swirlbeam-sound-check: %s\n", error.c_str());
    return 1;
  }
  const Match m = match_recording(recording, soundtrack, music);
  std::vector<double> clean;
  int music_only = 0;
  for (const Window& w : m.windows) {
    if (!w.music_only) continue;
    ++music_only;
    if (w.clean) clean.push_back(w.residual);
  }
  std::sort(clean.begin(), clean.end());
  for (const Window& w : m.windows) {
    if (!each_window) break;
    std::printf("%6.2f s: lag %ld, %.1f dB%s%s\n", static_cast<double>(w.from) / soundtrack.rate,
                w.lag, w.residual, w.music_only ? "" : ", cue", w.clean ? "" : ", gap");
  }
  std::printf("windows %zu, music-only %d, of which without a gap %zu\n", m.windows.size(),
              music_only, clean.size());
  if (!clean.empty()) {
    std::printf("residual dB: best %.1f, median %.1f, worst %.1f\n", clean.front(),
                clean[clean.size() / 2], clean.back());
  }
  std::printf("gaps %d, %.3f s in all, over %.1f s\n", m.gaps.count, m.gaps.seconds,
              m.windows.size() * 0.25);
  for (const Cue& c : m.cues) {
    std::printf("cue at %.2f s of the soundtrack: %+.1f ms%s\n",
                static_cast<double>(c.frame) / soundtrack.rate, c.offset_ms,
                c.steady ? "" : " (the output had a gap within 0.3 s)");
  }
  return 0;
}
