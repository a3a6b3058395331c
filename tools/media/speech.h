// Spoken words from the espeak-ng synthesiser, at the show's sample rate.
#pragma once

#include <string>

#include "synth.h"

// Runs `espeak-ng` with a fixed voice, speed and pitch; `scratch_file` is written and removed.
// Throws std::runtime_error when the synthesiser cannot be run.
Signal speak(const std::string& text, const std::string& scratch_file);

// Windowed-sinc resampling from `from_rate` to the show's rate.
Signal resample(const Signal& in, double from_rate);
