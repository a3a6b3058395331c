// The show's own start-up, headless and without the dialog: settings from the options, the real
// sound and media loading (silent output), the real window with its scene set-up.
#pragma once

#include <cstdint>
#include <string>

struct ShowSession {
  int width = 640;
  int height = 480;
  std::uint32_t seed = 1;     // replaces the calendar time as the comets' seed
  bool record_sound = false;  // keep the soundtrack for render_sound_recording
};

// Picks SDL's offscreen video driver unless the caller chose one, so no display is needed.
void use_offscreen_video();
// From the working folder, into a silent output unless `audible`. False after printing why on
// stderr, after the name of the `program` that runs the show.
bool load_show_sound(const char* program, bool audible = false);
// Creates the window (and so sets up the scene). False after the failure was reported.
bool create_session_window(const ShowSession& session);
// Releases everything, as the show's end does.
void close_show();
