#include "pcm_wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "support/fixtures.h"

namespace {

std::uint32_t get(const std::vector<unsigned char>& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = 0; i < size; ++i) v |= std::uint32_t(b[at + i]) << (8 * i);
  return v;
}

}  // namespace

PcmWav read_pcm_wav(const std::string& path) {
  PcmWav wav;
  const std::vector<unsigned char> b = read_bytes(path);
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return wav;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::size_t size = std::min<std::size_t>(get(b, at + 4, 4), b.size() - at - 8);
    const unsigned char* id = b.data() + at;
    if (std::memcmp(id, "fmt ", 4) == 0 && size >= 16) {
      wav.format = int(get(b, at + 8, 2));
      wav.channels = int(get(b, at + 10, 2));
      wav.rate = int(get(b, at + 12, 4));
      wav.bits = int(get(b, at + 22, 2));
    } else if (std::memcmp(id, "data", 4) == 0 && wav.bits == 16) {
      for (std::size_t i = 0; i + 1 < size; i += 2)
        wav.samples.push_back(static_cast<std::int16_t>(get(b, at + 8 + i, 2)));
      wav.ok = true;
    }
    at += 8 + size + (size & 1);
  }
  return wav;
}

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
