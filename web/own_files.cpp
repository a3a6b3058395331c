// The player's own files, tried with the program's own loaders when the page is given them, so
// that a file the show would refuse at Start! is refused at once instead, and the one it would
// have replaced is kept.
#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/settings.h"
#include "own_files.h"
#include "platform/jpeg_decode.h"
#include "platform/sound.h"

namespace {

// The most pixels a picture of the page may have. Six at this size (the show's six pictures) took
// the page's heap from 16 to 42 MiB after Start!, and the GPU process from 170 to 328 MiB; six at
// the desktop's cap (8192 x 8192) took the page to 474 MiB and the GPU process to 2.5 GB, and froze
// it for half a minute: not what a phone survives.
constexpr std::int64_t picture_pixel_budget = 2048 * 2048;

enum Verdict { taken = 0, refused = 1, over_budget = 2, unshowable_size = 3 };

// The largest canvas the browser's WebGL can draw on (its largest viewport), from the page.
int largest_view[2] = {0, 0};
int checked_size[2] = {0, 0};

// The loader needs the sound device; after the show (or a failed start) it is closed, so it is
// opened, silent, for the check alone.
bool sample_loads(const char* path) {
  const bool was_open = sound_open();
  if (!was_open && !start_sound(false)) return false;
  Sample* sample = load_sample(path);
  const bool loaded = sample != nullptr;
  free_sample(sample);
  if (!was_open) {
    Song* none = nullptr;
    close_sound(none);
  }
  return loaded;
}

bool ends_with(const char* text, const char* end) {
  const std::size_t length = std::strlen(text), end_length = std::strlen(end);
  return length >= end_length && std::strcmp(text + length - end_length, end) == 0;
}

Verdict check_picture(const char* path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
  int width = 0, height = 0;
  if (!jpeg_size(bytes.data(), bytes.size(), width, height)) return refused;
  if (std::int64_t{width} * height > picture_pixel_budget) return over_budget;
  JpegPicture picture;
  return decode_jpeg_memory(bytes.data(), bytes.size(), picture) ? taken : refused;
}

}  // namespace

bool size_showable(int width, int height) {
  return width > 0 && height > 0 && (largest_view[0] == 0 || width <= largest_view[0]) &&
         (largest_view[1] == 0 || height <= largest_view[1]);
}

extern "C" {

// `name` says what the file would be (music.dat, a .wav, config.dat or a picture); `path` is
// where the page put it. 0: the show takes it; 1: its loader refuses it; 2: a picture over the
// page's budget; 3: a settings file with a resolution the page cannot show.
EMSCRIPTEN_KEEPALIVE int web_check_own_file(const char* path, const char* name) {
  if (std::strcmp(name, "config.dat") == 0) {
    Settings offered;
    if (!read_settings_file(path, offered)) return refused;
    checked_size[0] = offered.width;
    checked_size[1] = offered.height;
    return size_showable(offered.width, offered.height) ? taken : unshowable_size;
  }
  if (std::strcmp(name, "music.dat") == 0) {
    Song* song = load_song(path);
    const bool loaded = song != nullptr;
    free_song(song);
    return loaded ? taken : refused;
  }
  if (ends_with(name, ".wav")) return sample_loads(path) ? taken : refused;
  return check_picture(path);
}

EMSCRIPTEN_KEEPALIVE int web_picture_pixel_budget() {
  return static_cast<int>(picture_pixel_budget);
}

EMSCRIPTEN_KEEPALIVE void web_set_largest_view(int width, int height) {
  largest_view[0] = width;
  largest_view[1] = height;
}

EMSCRIPTEN_KEEPALIVE int web_largest_view(int side) {
  return largest_view[side != 0 ? 1 : 0];
}

// The resolution of the settings file checked last.
EMSCRIPTEN_KEEPALIVE int web_checked_width() {
  return checked_size[0];
}

EMSCRIPTEN_KEEPALIVE int web_checked_height() {
  return checked_size[1];
}

}  // extern "C"
