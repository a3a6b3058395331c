#include "support/recording_sound.h"

#include <algorithm>

#include "platform/sound.h"

std::vector<SoundCall> sound_calls;
int recorded_music_volume = full_volume;
int refused_sound_starts = 0;

void clear_sound_calls() {
  sound_calls.clear();
  recorded_music_volume = full_volume;
  refused_sound_starts = 0;
}

namespace {

bool start(int how) {
  sound_calls.push_back({"start", nullptr, how});
  if (refused_sound_starts == 0) return true;
  --refused_sound_starts;
  return false;
}

}  // namespace

bool start_sound(bool audible) {
  return start(audible ? 1 : 0);
}
bool start_sound_silent_for_now() {
  return start(2);
}
Song* load_song(const char*) {
  return nullptr;
}
Sample* load_sample(const char*) {
  return nullptr;
}
void play_song(Song* song) {
  sound_calls.push_back({"song", nullptr, song == nullptr ? 0 : 1});
}
void play_sample(Sample* sample, int volume) {
  sound_calls.push_back({"sample", sample, volume});
}
int music_volume(Song*) {
  return recorded_music_volume;
}
void set_music_volume(Song*, int volume) {
  sound_calls.push_back({"music_volume", nullptr, volume});
  recorded_music_volume = std::clamp(volume, 0, full_volume);
}
void close_sound(Song*& song) {
  song = nullptr;
}
void tend_sound(Song*, double show_ms) {
  sound_calls.push_back({"tend", nullptr, static_cast<int>(show_ms)});
}
