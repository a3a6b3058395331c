// A stand-in for the sound module that records what the show asked of it.
#pragma once

#include <string>
#include <vector>

struct Sample;

struct SoundCall {
  std::string what;  // "start", "sample", "music_volume", "song" or "tend"
  Sample* sample;
  // For "start", 1 when audible, 0 silent, 2 silent until an output opens; for "tend", the show's
  // clock in ms.
  int volume;
};

extern std::vector<SoundCall> sound_calls;
extern int recorded_music_volume;
extern int refused_sound_starts;  // this many start_sound calls fail before the next succeeds

void clear_sound_calls();
