// Measures of what a sample sounds like.
#pragma once

#include <cstdint>
#include <vector>

#include "wav_file.h"

// Root mean square and peak of samples [from, to), as a share of full scale.
double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to);
double peak(const std::vector<std::int16_t>& samples);
