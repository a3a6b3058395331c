// The show's sound: one music module and a few samples mixed over it.
#pragma once

struct Song;
struct Sample;

constexpr int full_volume = 256;  // channel and music volumes run 0..256

// Opens the audio device; `audible` false plays everything into a silent output instead.
// False when no device could be opened (the reason goes to stderr).
bool start_sound(bool audible);
// Null when the file is missing or not a module.
Song* load_song(const char* file_name);
// Null when the file is missing or not a sample (WAV, AIFF or VOC).
Sample* load_sample(const char* file_name);

void play_song(Song* song);
// Starts the sample on any free channel; two calls in a row sound together.
void play_sample(Sample* sample, int volume = full_volume);

// Master volume of the music, 0..256; requests outside are clamped, so below 0 is silence.
int music_volume(Song* song);
void set_music_volume(Song* song, int volume);

// Stops all sound, frees the song (and clears the handle) and every sample, closes the device.
// Safe in any state, and again after it ran.
void close_sound(Song*& song);
