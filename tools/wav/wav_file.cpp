#include "wav_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void put(unsigned char* at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t get(const unsigned char* at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return value;
}

}  // namespace

std::array<unsigned char, wav_header_bytes> wav_header(int channels, int rate,
                                                       std::uint32_t data_bytes) {
  std::array<unsigned char, wav_header_bytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  put(&h[4], 36 + data_bytes, 4);
  std::memcpy(&h[8], "WAVEfmt ", 8);
  put(&h[16], 16, 4);  // the PCM format block's size
  put(&h[20], 1, 2);   // integer PCM
  put(&h[22], static_cast<std::uint32_t>(channels), 2);
  put(&h[24], static_cast<std::uint32_t>(rate), 4);
  put(&h[28], static_cast<std::uint32_t>(rate * channels * 2), 4);
  put(&h[32], static_cast<std::uint32_t>(channels * 2), 2);  // bytes a frame
  put(&h[34], 16, 2);                                        // bits a sample
  std::memcpy(&h[36], "data", 4);
  put(&h[40], data_bytes, 4);
  return h;
}

std::vector<unsigned char> encode_wav(const std::vector<std::int16_t>& samples, int channels,
                                      int rate) {
  const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  const auto header = wav_header(channels, rate, data_bytes);
  std::vector<unsigned char> out(header.begin(), header.end());
  out.resize(out.size() + data_bytes);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    put(&out[wav_header_bytes + 2 * i], static_cast<std::uint16_t>(samples[i]), 2);
  }
  return out;
}

bool decode_wav(const std::vector<unsigned char>& bytes, PcmWav& wav) {
  wav = PcmWav{};
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  bool has_format = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const unsigned char* chunk = bytes.data() + at;
    const std::size_t size = std::min<std::size_t>(get(chunk + 4, 4), bytes.size() - at - 8);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
      wav.format = static_cast<int>(get(chunk + 8, 2));
      wav.channels = static_cast<int>(get(chunk + 10, 2));
      wav.rate = static_cast<int>(get(chunk + 12, 4));
      wav.bits = static_cast<int>(get(chunk + 22, 2));
      has_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && has_format) {
      if (wav.bits == 16) {
        wav.samples.resize(size / 2);
        for (std::size_t i = 0; i < wav.samples.size(); ++i) {
          wav.samples[i] = static_cast<std::int16_t>(get(chunk + 8 + 2 * i, 2));
        }
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

bool read_wav_file(const std::string& path, PcmWav& wav) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  return decode_wav(bytes, wav);
}
