#include "pcm_wav.h"

#include <algorithm>
#include <cmath>

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  to = std::min(to, samples.size());
  if (from >= to) return 0;
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum / double(to - from)) / 32768.0;
}

double peak(const std::vector<std::int16_t>& samples) {
  int largest = 0;
  for (std::int16_t s : samples) largest = std::max(largest, std::abs(int(s)));
  return largest / 32768.0;
}
