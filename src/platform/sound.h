// The show's sound: one music module and a few samples mixed over it.
#pragma once

#include <cstdint>

struct Song;
struct Sample;

constexpr int full_volume = 256;   // channel and music volumes run 0..256
constexpr int sound_rate = 44100;  // stereo frames a second, 16-bit

// Opens the audio device; `audible` false plays everything into a silent output instead.
// False when no device could be opened (the reason goes to stderr).
bool start_sound(bool audible);
// For a player who wants sound where start_sound found no output: everything loads and plays
// into the silent output, and tend_sound looks for a real output as the show plays, heard from
// when one opens. False when not even the silent output opens.
bool start_sound_silent_for_now();
// Stereo frames in one buffer of the output, from the next start_sound on; a benchmark tries
// other sizes.
void set_sound_buffer_frames(int frames);
// Once a frame, with the show's clock (ms after its start): the music follows that clock, so that
// after any gap in the output it catches up with the picture and its cues; and an output that
// was lost (a sound server that stopped, a USB output pulled) is opened again, the music going
// on from where the clock is then; so is one that never opened (start_sound_silent_for_now). An
// output counts as lost when SDL says so, or when it stops asking for sound while the show runs
// (SDL's PipeWire driver after a restart). One line on stderr when sound is lost and one when it
// is heard again.
void tend_sound(Song* song, double show_ms);
// How far the music mixed so far runs ahead of the show's clock (ms): steady while the two keep
// together, the output's buffering plus where the music began. Read where the mixing runs on the
// caller's thread (a page's), for checking that they do.
double music_lead_ms(const Song* song, double show_ms);
// Null when the file is missing or not a module.
Song* load_song(const char* file_name);
// Null when the file is missing or not a sample (WAV, AIFF or VOC), or the device is closed.
Sample* load_sample(const char* file_name);
// For files tried and not kept; null is fine.
void free_song(Song* song);
void free_sample(Sample* sample);
bool sound_open();

void play_song(Song* song);
// Starts the sample on any free channel; two calls in a row sound together.
void play_sample(Sample* sample, int volume = full_volume);

// Master volume of the music, 0..256; requests outside are clamped, so below 0 is silence.
int music_volume(Song* song);
void set_music_volume(Song* song, int volume);

// Stops all sound, frees the song (and clears the handle) and every sample, closes the device.
// Safe in any state, and again after it ran.
void close_sound(Song*& song);

// Off-line recording of the soundtrack, for capturing the show at any speed. While it runs,
// play_song and play_sample start the music and the samples in the recording, at the position it
// has reached, instead of on the audio output, and render_sound_recording mixes on from there as
// the live output would: the music at its master volume, ramped, with the samples on top. Start
// it after start_sound and before play_song, so that the music begins at position 0.
void start_sound_recording();
// The next `frames` stereo frames of the recording, into `out` (2 x `frames` values).
void render_sound_recording(std::int16_t* out, int frames);
// Ends the recording; sound goes to the audio output again.
void stop_sound_recording();
