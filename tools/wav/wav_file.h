// WAV files of 16-bit PCM, as the tools write them and the tests and the media maker read them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct PcmWav {
  int format = 0;  // 1: integer PCM
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<std::int16_t> samples;  // interleaved, when `bits` is 16
};

constexpr int wav_header_bytes = 44;

// The header of a 16-bit PCM file whose data is `data_bytes` long: for a writer that streams its
// samples and writes the header again at the end.
std::array<unsigned char, wav_header_bytes> wav_header(int channels, int rate,
                                                       std::uint32_t data_bytes);
// A whole file of 16-bit PCM, `samples` interleaved over `channels`.
std::vector<unsigned char> encode_wav(const std::vector<std::int16_t>& samples, int channels,
                                      int rate);
// False when `bytes` are not RIFF/WAVE with a format and a data chunk. A data chunk longer than
// what is there (a stream whose size was never written in) gives what is there.
bool decode_wav(const std::vector<unsigned char>& bytes, PcmWav& wav);
bool read_wav_file(const std::string& path, PcmWav& wav);
