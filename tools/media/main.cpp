// Makes the show's default media: `swirlbeam_media FOLDER` writes the whole set into FOLDER.
// The same sources always give the same bytes.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/settings.h"
#include "cues.h"
#include "lettering.h"
#include "pictures.h"
#include "song.h"
#include "wav.h"

namespace {

constexpr int jpeg_quality = 92;

void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

void write_picture(const std::string& path, const Picture& picture) {
  write_file(path, encode_jpeg(picture, jpeg_quality));
}

void write_cue(const std::string& path, const Signal& cue) {
  write_file(path, encode_mono_wav(to_pcm(cue), static_cast<int>(sample_rate)));
}

// Windowed 640 x 480 at 32 bits, music on, dithering on.
std::vector<unsigned char> default_settings() {
  Settings s;
  s.fullscreen = 0;
  s.music = 1;
  s.color_bits = 32;
  s.width = 640;
  s.height = 480;
  s.dither = 1;
  const SettingsBytes bytes = encode_settings(s);
  return {bytes.begin(), bytes.end()};
}

void make_media(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
    throw std::runtime_error("cannot make " + folder + ": " + std::strerror(errno));
  const std::string at = folder + "/";
  write_picture(at + "texture.jpg", make_comet_sprite());
  write_picture(at + "smoke.jpg", make_smoke());
  write_picture(at + "logo.jpg", make_logo());
  write_picture(at + "logo2.jpg", make_logo_outline());
  write_picture(at + "web.jpg", make_web());
  write_picture(at + "thanks.jpg", make_thanks_picture());
  release_drawing_caches();  // keeps leak checkers quiet about the font caches
  const std::string scratch = at + ".voice.wav";
  write_cue(at + "strike.wav", make_strike());
  write_cue(at + "swirlbeam.wav", make_swirlbeam(scratch));
  write_cue(at + "thanks.wav", make_thanks(scratch));
  write_file(at + "music.dat", xm::write_module(compose_song()));
  write_file(at + "config.dat", default_settings());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: swirlbeam_media FOLDER\n");
    return 2;
  }
  try {
    make_media(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "swirlbeam_media: %s\n", e.what());
    return 1;
  }
  return 0;
}
