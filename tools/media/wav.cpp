#include "wav.h"

#include <algorithm>
#include <cstring>

namespace {

void put(std::vector<unsigned char>& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint32_t get(const std::vector<unsigned char>& in, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
  return value;
}

}  // namespace

std::vector<unsigned char> encode_wav(const std::vector<std::int16_t>& pcm, int rate) {
  const auto data_size = static_cast<std::uint32_t>(pcm.size() * 2);
  std::vector<unsigned char> out;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put(out, 36 + data_size, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(out, 16, 4);
  put(out, 1, 2);  // PCM
  put(out, 1, 2);  // mono
  put(out, static_cast<std::uint32_t>(rate), 4);
  put(out, static_cast<std::uint32_t>(rate * 2), 4);
  put(out, 2, 2);   // bytes a frame
  put(out, 16, 2);  // bits a sample
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put(out, data_size, 4);
  for (std::int16_t s : pcm) put(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

bool decode_wav(const std::vector<unsigned char>& bytes, Signal& signal, int& rate) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return false;
  int channels = 0;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = get(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    // Streamed files may carry an unknown data size: take what is there.
    const std::size_t available = std::min<std::size_t>(size, bytes.size() - body);
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && available >= 16) {
      if (get(bytes, body, 2) != 1 || get(bytes, body + 14, 2) != 16) return false;
      channels = static_cast<int>(get(bytes, body + 2, 2));
      rate = static_cast<int>(get(bytes, body + 4, 4));
    } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && channels > 0) {
      const std::size_t frames = available / (2 * static_cast<std::size_t>(channels));
      signal.assign(frames, 0.0);
      for (std::size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
          const auto s = static_cast<std::int16_t>(get(bytes, body + 2 * (f * channels + c), 2));
          signal[f] += s / 32768.0 / channels;
        }
      }
      return rate > 0;
    }
    at = body + available + (available & 1);
  }
  return false;
}
