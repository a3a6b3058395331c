#include "recording_match.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "wav_file.h"

namespace {

constexpr long coarse = 8;  // frames averaged for the first, coarse search

// Mono (left + right) of frames [from, from + count); outside the signal, zeros.
std::vector<float> mono(const StereoPcm& pcm, long from, long count) {
  std::vector<float> out(static_cast<std::size_t>(std::max(0L, count)), 0.0f);
  for (long i = 0; i < count; ++i) {
    const long f = from + i;
    if (f < 0 || f >= pcm.frames()) continue;
    out[i] = static_cast<float>(pcm.samples[2 * f]) + pcm.samples[2 * f + 1];
  }
  return out;
}

std::vector<float> decimate(const std::vector<float>& v) {
  std::vector<float> out(v.size() / coarse, 0.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    for (long k = 0; k < coarse; ++k) out[i] += v[i * coarse + k];
  }
  return out;
}

// The shift k in [0, signal.size() - pattern.size()] where the pattern correlates best with the
// signal, normalised by the signal's energy there.
long best_shift(const std::vector<float>& pattern, const std::vector<float>& signal) {
  const long n = static_cast<long>(pattern.size());
  const long last = static_cast<long>(signal.size()) - n;
  long best = 0;
  double best_score = -std::numeric_limits<double>::infinity();
  double energy = 0;
  for (long i = 0; i < n && i < static_cast<long>(signal.size()); ++i)
    energy += double(signal[i]) * signal[i];
  for (long k = 0; k <= last; ++k) {
    if (k > 0) {
      energy +=
          double(signal[k + n - 1]) * signal[k + n - 1] - double(signal[k - 1]) * signal[k - 1];
    }
    double dot = 0;
    for (long i = 0; i < n; ++i) dot += double(pattern[i]) * signal[k + i];
    const double score = dot / std::sqrt(std::max(energy, 1.0));
    if (score > best_score) {
      best_score = score;
      best = k;
    }
  }
  return best;
}

// Coarse on averaged frames, then to the frame on the full signal around the coarse answer.
long best_shift_fine(const std::vector<float>& pattern, const std::vector<float>& signal) {
  if (signal.size() < pattern.size()) return 0;
  const long rough = best_shift(decimate(pattern), decimate(signal)) * coarse;
  const long from = std::max(0L, rough - 2 * coarse);
  const long to = std::min(static_cast<long>(signal.size()),
                           rough + 2 * coarse + static_cast<long>(pattern.size()));
  const std::vector<float> near(signal.begin() + from, signal.begin() + to);
  return from + best_shift(pattern, near);
}

double energy_db(double difference, double reference) {
  if (reference <= 0) return 0;
  return 10 * std::log10(std::max(difference, 1e-12) / reference);
}

}  // namespace

bool read_stereo_wav(const std::string& path, StereoPcm& pcm, std::string& error) {
  PcmWav wav;
  if (!read_wav_file(path, wav)) {
    error = path + ": not a WAV file";
    return false;
  }
  if (wav.format != 1 || wav.channels != 2 || wav.bits != 16) {
    error = path + ": no 16-bit stereo PCM data";
    return false;
  }
  pcm.rate = wav.rate;
  pcm.samples = std::move(wav.samples);
  pcm.samples.resize(pcm.samples.size() - pcm.samples.size() % 2);
  return true;
}

long find_lag(const StereoPcm& recording, const StereoPcm& reference, long from, long length,
              long lag_min, long lag_max) {
  const std::vector<float> pattern = mono(reference, from, length);
  const std::vector<float> signal = mono(recording, from + lag_min, lag_max - lag_min + length);
  return lag_min + best_shift_fine(pattern, signal);
}

double residual_db(const StereoPcm& recording, const StereoPcm& reference, long from, long length,
                   long lag) {
  if (from + lag < 0 || from + lag + length > recording.frames()) return 0;
  double difference = 0, energy = 0;
  for (long f = from; f < from + length; ++f) {
    for (int c = 0; c < 2; ++c) {
      const double r = reference.samples[2 * f + c];
      const double d = recording.samples[2 * (f + lag) + c] - r;
      difference += d * d;
      energy += r * r;
    }
  }
  return energy_db(difference, energy);
}

Gaps find_gaps(const StereoPcm& recording, long from, long to, long min_frames) {
  Gaps gaps;
  long run = 0;
  to = std::min(to, recording.frames());
  for (long f = std::max(0L, from); f <= to; ++f) {
    if (f < to && recording.samples[2 * f] == 0 && recording.samples[2 * f + 1] == 0) {
      ++run;
      continue;
    }
    if (run >= min_frames) {
      ++gaps.count;
      gaps.seconds += static_cast<double>(run) / recording.rate;
    }
    run = 0;
  }
  return gaps;
}

Match match_recording(const StereoPcm& recording, const StereoPcm& soundtrack,
                      const StereoPcm& music) {
  Match match;
  const long rate = soundtrack.rate;
  const long window = rate / 4, drift = rate * 4 / 10, gap_frames = 32;
  const long total = std::min(soundtrack.frames(), music.frames());
  // Where the cues sound: the soundtrack less its music.
  std::vector<bool> cue_at(static_cast<std::size_t>(total), false);
  for (long f = 0; f < total; ++f) {
    cue_at[f] = soundtrack.samples[2 * f] != music.samples[2 * f] ||
                soundtrack.samples[2 * f + 1] != music.samples[2 * f + 1];
  }
  long quiet = rate;
  for (long f = 0; f < total; ++f) {
    if (cue_at[f] && quiet >= rate / 5) match.cues.push_back({f, 0});
    quiet = cue_at[f] ? 0 : quiet + 1;
  }

  // Where the recording's sound begins, found anywhere in the soundtrack; from there on
  // quarter-second windows, each searched near where the last one matched.
  long first = 0;  // past any click or rounding noise a server makes when a stream starts
  while (first < recording.frames() && std::abs(recording.samples[2 * first]) < 256 &&
         std::abs(recording.samples[2 * first + 1]) < 256) {
    ++first;
  }
  first += rate / 10;
  if (first + window > recording.frames()) return match;
  const std::vector<float> opening = mono(recording, first, window);
  long lag = first - best_shift_fine(opening, mono(soundtrack, 0, total));
  for (long from = std::max(0L, -lag); from + window <= total; from += window) {
    if (!match.windows.empty())
      lag = find_lag(recording, soundtrack, from, window, lag - drift, lag + drift);
    if (from + lag < 0) continue;
    if (from + lag + window > recording.frames()) break;
    Window w;
    w.from = from;
    w.lag = lag;
    w.residual = residual_db(recording, soundtrack, from, window, lag);
    for (long f = std::max(0L, from - rate / 20); f < from + window && w.music_only; ++f) {
      w.music_only = !cue_at[f];
    }
    // The music skips on the buffer or two after a gap: a gap just before counts too.
    w.clean =
        find_gaps(recording, from + lag - rate / 10, from + lag + window, gap_frames).count == 0;
    match.windows.push_back(w);
  }
  if (match.windows.empty()) return match;
  match.first_lag = match.windows.front().lag;
  const Window& last = match.windows.back();
  match.gaps = find_gaps(recording, match.first_lag, last.from + last.lag + window, gap_frames);

  // Each cue against the music around it: the recording less the music, where the cue alone
  // is left, lined up with the cue as the soundtrack has it.
  std::vector<Cue> heard;
  for (Cue cue : match.cues) {
    const Window* before = nullptr;
    for (const Window& w : match.windows) {
      if (w.from + window <= cue.frame && w.clean) before = &w;
    }
    const bool in_recording = std::any_of(
        match.windows.begin(), match.windows.end(),
        [&](const Window& w) { return w.from <= cue.frame && cue.frame < w.from + window; });
    if (before == nullptr || !in_recording || cue.frame + rate > total) continue;
    const long span = rate / 2, reach = rate * 3 / 10;
    const long at = cue.frame + before->lag;
    if (at - reach < 0 || at + span + reach > recording.frames()) continue;
    std::vector<float> pattern(span), rest(span + 2 * reach);
    for (long i = 0; i < span; ++i) {
      const long f = cue.frame + i;
      pattern[i] = float(soundtrack.samples[2 * f]) + soundtrack.samples[2 * f + 1] -
                   music.samples[2 * f] - music.samples[2 * f + 1];
    }
    const std::vector<float> played =
        mono(recording, cue.frame - reach + before->lag, span + 2 * reach);
    const std::vector<float> background = mono(music, cue.frame - reach, span + 2 * reach);
    for (std::size_t i = 0; i < rest.size(); ++i) rest[i] = played[i] - background[i];
    cue.offset_ms = 1000.0 * static_cast<double>(best_shift_fine(pattern, rest) - reach) / rate;
    cue.steady = find_gaps(recording, at - reach, at + reach, gap_frames).count == 0;
    heard.push_back(cue);
  }
  match.cues = heard;
  return match;
}
