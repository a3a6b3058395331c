// The show played in real time from any frame, its sound on the sound output: for listening to
// one stretch, and for recording what a sound server receives.
#pragma once

#include "options.h"

int run_live_play(const CaptureOptions& options);
