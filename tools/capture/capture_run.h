// One capture: the show started headless, run frame by frame on the virtual clock, with the
// options' outputs written as it goes.
#pragma once

#include "options.h"

// Output paths must be absolute: the run changes into the media folder. Returns the exit status.
int run_capture(const CaptureOptions& options);
