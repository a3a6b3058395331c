#include "ui/dialog_model.h"

#include <cctype>

const Resolution resolutions[resolution_count] = {
    {"320x240", 320, 240}, {"400x300", 400, 300},   {"640x480", 640, 480},
    {"800x600", 800, 600}, {"1024x768", 1024, 768},
};

const int depth_bits[depth_count] = {16, 24, 32};

int next_entry_starting_with(const char* const* entries, int count, int current, char typed) {
  const auto folded = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  for (int step = 1; step <= count; ++step) {
    const int i = ((current < 0 ? -1 : current) + step) % count;
    if (entries[i] != nullptr && folded(entries[i][0]) == folded(typed)) return i;
  }
  return current;
}

DialogState fill_dialog(const Settings& s) {
  DialogState state;
  // Only the exact value 1 counts as "on"; any other byte shows the box the other way.
  state.windowed = s.fullscreen != 1;
  state.music = s.music == 1;
  state.dither = s.dither == 1;
  for (int i = 0; i < resolution_count; ++i) {
    if (resolutions[i].width == s.width) state.resolution = i;  // the height is not consulted
  }
  for (int i = 0; i < depth_count; ++i) state.depth[i] = depth_bits[i] == s.color_bits;
  return state;
}

void read_back_dialog(const DialogState& state, Settings& s) {
  if (state.resolution >= 0 && state.resolution < resolution_count) {
    s.width = resolutions[state.resolution].width;
    s.height = resolutions[state.resolution].height;
  }
  s.music = state.music ? 1 : 0;
  s.fullscreen = state.windowed ? 0 : 1;
  s.dither = state.dither ? 1 : 0;
  for (int i = 0; i < depth_count; ++i) {
    if (state.depth[i]) {
      s.color_bits = depth_bits[i];
      break;
    }
  }
}

const char* music_change_notice(bool heard, bool ticked) {
  if (ticked && !heard) return "Music plays from the next start;\nthis show stays silent.";
  if (!ticked && heard) return "Music is off from the next start;\nthis show still plays it.";
  return nullptr;
}

bool end_dialog(DialogEnd how, const DialogState& state, Settings& s) {
  if (how != DialogEnd::start) return true;
  read_back_dialog(state, s);
  return false;
}
