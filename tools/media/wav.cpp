#include "wav.h"

#include "wav_file.h"

std::vector<unsigned char> encode_mono_wav(const std::vector<std::int16_t>& pcm, int rate) {
  return encode_wav(pcm, 1, rate);
}

bool decode_wav_signal(const std::vector<unsigned char>& bytes, Signal& signal, int& rate) {
  PcmWav wav;
  if (!decode_wav(bytes, wav) || wav.format != 1 || wav.bits != 16 || wav.channels < 1) {
    return false;
  }
  rate = wav.rate;
  const auto channels = static_cast<std::size_t>(wav.channels);
  const std::size_t frames = wav.samples.size() / channels;
  signal.assign(frames, 0.0);
  for (std::size_t f = 0; f < frames; ++f) {
    for (std::size_t c = 0; c < channels; ++c) {
      signal[f] += wav.samples[f * channels + c] / 32768.0 / wav.channels;
    }
  }
  return rate > 0;
}
