// The timed show: one stage step, effect update, drawing and present per frame, paced to 10 ms.
#pragma once

class FrameTimer;

// The loop's ways out to the window, replaceable in tests.
struct FrameIo {
  bool (*pump_messages)(int& quit_code);  // false once the quit message was taken
  bool (*draw)();
  void (*present)();
};

extern const FrameIo window_frame_io;

constexpr double frame_ms = 10.0;

// One whole frame of the show at the clock reading `now`: the stage step with its cue, the
// effects, the drawing. True when it was the frame of the last stage.
bool run_show_frame(float now, float start, const FrameIo& io);

// Runs until the quit message, Escape while active, or the frame of the last stage. Returns the
// exit code.
int run_main_loop(const FrameTimer& timer, float start, const FrameIo& io);
