#include "app/main_loop.h"

#include "app/effects.h"
#include "app/frame.h"
#include "app/keys.h"
#include "app/show_window.h"
#include "app/sound_handles.h"
#include "app/timeline.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/window.h"

const FrameIo window_frame_io = {pump_messages, draw_frame, present_frame};

bool show_goes_on(const FrameIo& io, int& exit_code) {
  if (!io.pump_messages(exit_code)) return false;  // no further frame after the quit message
  return !(active && keys[key_escape]);
}

bool step_show_at(float now, float start) {
  const bool last = advance_stage(now, start) && effects.stage == last_stage;
  update_effects(effects.stage);
  return last;
}

bool run_show_frame(float now, float start, const FrameIo& io) {
  tend_sound(song, static_cast<double>(now) - start);  // before the frame's cue
  const bool last = step_show_at(now, start);
  io.draw();
  return last;
}

int run_main_loop(const FrameTimer& timer, float start, const FrameIo& io) {
  int exit_code = 0;
  bool last_frame = false;
  while (!last_frame) {
    if (!show_goes_on(io, exit_code)) break;

    const auto now = static_cast<float>(timer.elapsed_ms());
    last_frame = run_show_frame(now, start, io);
    io.present();

    // Busy-wait: sleeping would overshoot the 10 ms the animation steps are sized for.
    while (timer.elapsed_ms() < now + frame_ms) {
    }
  }
  return exit_code;
}
