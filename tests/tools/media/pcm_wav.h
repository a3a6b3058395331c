// Reads the PCM data of a WAV file, to measure what a sample sounds like.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PcmWav {
  bool ok = false;
  int format = 0;  // 1 = integer PCM
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<std::int16_t> samples;  // interleaved, when `bits` is 16
};

PcmWav read_pcm_wav(const std::string& path);

// Root mean square and peak of samples [from, to), as a share of full scale.
double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);
double peak(const std::vector<std::int16_t>& samples);
