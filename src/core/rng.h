// The one pseudo-random generator of the show. Motion, drawing and scene set-up draw from the same
// sequence, so the order of calls is part of the show's look.
#pragma once

#include <cstdint>

constexpr int rng_max = 32767;

// Advances the state and returns 0..32767.
int rng_next();
void rng_seed(std::uint32_t seed);
// The raw 32-bit state, for traces and tests.
std::uint32_t rng_state();
