// The show's start-up steps in their order, shared by the program, the page and the capture
// tool; each caller adds only its own dialog or options and its own loop.
#pragma once

#include "app/sound_handles.h"

class FrameTimer;

// Reads config.dat into `settings`. False after settings_load_failure was shown.
bool load_settings();
extern const char* const settings_load_failure;
// The fatal messages of load_sound, one for each step.
extern const char* const sound_start_failure;
extern const char* const music_load_failure;
extern const char* const sample_load_failure;

// Starts the sound output (silent unless `audible`) and loads the music and the three samples.
// With no sound output to open, an audible show starts in the silent one and looks for one as
// it plays.
// Null when all is loaded; otherwise the fatal message to report before ending.
const char* load_sound(bool audible);
// The same in its steps, for a page that gives each a task of its own: the output, the music,
// then each sample.
constexpr int load_sound_steps = 2 + sample_file_count;
const char* load_sound_step(int step, bool audible);
// Set by load_sound when music was on but no sound output opened: the show starts silent.
extern bool sound_output_missing;
// What the dialog then says in place of its greeting.
extern const char* const no_sound_output_notice;
// Writes `settings` back to config.dat; where it cannot, says so, and the show goes on.
void save_settings();
// Makes the window with the scene set up in it, then starts `timer` and takes `start_time`.
// False after the failure was shown, with everything released.
bool begin_show(FrameTimer& timer, bool fullscreen);
