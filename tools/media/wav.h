// The media maker's sounds as 16-bit PCM WAV files.
#pragma once

#include <cstdint>
#include <vector>

#include "synth.h"

// A mono file at `rate`.
std::vector<unsigned char> encode_mono_wav(const std::vector<std::int16_t>& pcm, int rate);
// Reads 16-bit PCM (channels averaged) into -1..1; false when the bytes are not such a file.
bool decode_wav_signal(const std::vector<unsigned char>& bytes, Signal& signal, int& rate);
