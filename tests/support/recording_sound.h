// A stand-in for the sound module that records what the show asked of it.
#pragma once

#include <string>
#include <vector>

struct Sample;

struct SoundCall {
  std::string what;  // "sample", "music_volume" or "song"
  Sample* sample;
  int volume;
};

extern std::vector<SoundCall> sound_calls;
extern int recorded_music_volume;

void clear_sound_calls();
