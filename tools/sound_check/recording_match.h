// A recording of the show's sound output held against its off-line soundtrack: where they line
// up, how far apart they are, where the output had gaps and where each cue landed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 16-bit stereo, interleaved.
struct StereoPcm {
  int rate = 0;
  std::vector<std::int16_t> samples;
  long frames() const { return static_cast<long>(samples.size() / 2); }
};

// 16-bit stereo PCM WAV; a data chunk whose size was never filled in runs to the end of the file.
bool read_stereo_wav(const std::string& path, StereoPcm& pcm, std::string& error);

// The lag (recording frame = reference frame + lag) within [lag_min, lag_max] at which the
// reference's frames [from, from + length) match the recording best.
long find_lag(const StereoPcm& recording, const StereoPcm& reference, long from, long length,
              long lag_min, long lag_max);
// The energy of the difference over that of the reference, in dB; 0 where the recording ends.
double residual_db(const StereoPcm& recording, const StereoPcm& reference, long from, long length,
                   long lag);

// A quarter second of the reference compared with the recording.
struct Window {
  long from = 0;        // reference frame
  long lag = 0;         // where it matched best
  double residual = 0;  // dB
  bool music_only = true;
  bool clean = true;  // no gap in the recording over it, and the same lag as its neighbours
};

struct Cue {
  long frame = 0;        // reference frame where the cue starts
  double offset_ms = 0;  // where it landed in the recording, against the music around it
  bool steady = true;    // no gap in the recording within 0.3 s of it
};

struct Gaps {
  int count = 0;
  double seconds = 0;
};

struct Match {
  std::vector<Window> windows;
  std::vector<Cue> cues;
  Gaps gaps;
  long first_lag = 0;
};

// `soundtrack` as the show mixes it, `music` the same without the cues (their samples silent).
// The recording may start before the show and stop after it, and may have gaps.
Match match_recording(const StereoPcm& recording, const StereoPcm& soundtrack,
                      const StereoPcm& music);

// Runs of at least `min_frames` exact zeros in frames [from, to) of the recording: the output
// ran dry (a null sink plays zeros then; the show's music holds no such run while it plays).
Gaps find_gaps(const StereoPcm& recording, long from, long to, long min_frames);
