#include "core/rng.h"

namespace {
std::uint32_t state = 1;  // constant-initialised: valid before any static initialiser draws
}

int rng_next() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

void rng_seed(std::uint32_t seed) {
  state = seed;
}

std::uint32_t rng_state() {
  return state;
}
