// The timed show: one stage step, effect update, drawing and present per frame, paced to 10 ms.
#pragma once

class FrameTimer;

// The loop's ways out to the window, replaceable in tests.
struct FrameIo {
  bool (*pump_messages)(int& quit_code);  // false once the quit message was taken
  void (*draw)();
  void (*present)();
};

extern const FrameIo window_frame_io;

constexpr double frame_ms = 10.0;

// Before each frame: handles the pending messages. False when the show is to end (the quit
// message, whose code goes to `exit_code`, or Escape while the window is active).
bool show_goes_on(const FrameIo& io, int& exit_code);

// One frame's stage step (with its cue) and effect update at the clock reading `now`. True when
// it was the frame of the last stage.
bool step_show_at(float now, float start);

// One whole frame of the show at the clock reading `now`: the music kept with that clock (so read
// it when the frame runs), the step above, then the drawing. True when it was the frame of the
// last stage.
bool run_show_frame(float now, float start, const FrameIo& io);

// Runs until the quit message, Escape while active, or the frame of the last stage. Returns the
// exit code.
int run_main_loop(const FrameTimer& timer, float start, const FrameIo& io);
