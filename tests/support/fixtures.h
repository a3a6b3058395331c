// Small media files made on the spot, so tests need nothing from outside.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_bytes(const std::string& path);
// The whole file as text (a program's captured output); empty when it cannot be read.
std::string read_text(const std::string& path);

void write_settings(const std::string& path, const Settings& s);

// A four-channel tracker module that plays a looped square-wave note for about 7.7 seconds.
std::vector<unsigned char> test_module();
// A 16-bit mono PCM WAV: a square wave of the given peak, `seconds` long.
std::vector<unsigned char> test_wav(int peak, double seconds, int rate = 44100);

// Writes a whole small media set: config.dat (windowed, the given music flag, 320x240, no
// dithering), the six pictures, music.dat and the three samples.
void write_fixture_media(const std::string& folder, bool music);
