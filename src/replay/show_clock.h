// The show on a virtual clock: frame n reads exactly n x 10 ms, so every run of the show goes
// through the same frames, however long each one takes to draw.
#pragma once

#include "app/main_loop.h"
#include "platform/sound.h"

constexpr int frames_per_second = static_cast<int>(1000 / frame_ms);
constexpr int samples_per_frame = sound_rate / frames_per_second;  // sound frames in one show frame

// The clock's reading in frame `frame`, in milliseconds after the show's start.
float virtual_now(int frame);
// The first frame that reads the start of `stage` (1..9) or later.
int first_frame_of_stage(int stage);
// Frames in the whole show: up to and with the one frame of the last stage.
int show_frame_count();

// A display refreshing `fps` times a second (1..100) shows, in its frame n, the last show frame
// completed by time n / fps: never the same one twice, and never one drawn ahead of its time.
int step_shown_at(int display_frame, int fps);
// Display frames up to and with the first that shows the show's last frame.
int display_frame_count(int fps);
// The display frame that shows show frame `step`; -1 when the display skips it.
int display_frame_showing(int step, int fps);

// One frame's stage step (with its cue) and effect update at the virtual clock. True in the
// show's last frame.
bool step_show(int frame);
