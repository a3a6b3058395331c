// The generator's published sequence, recomputed here so tests compare the show against the
// formula rather than against its own code.
#pragma once

#include <cstdint>

struct RecordedSequence {
  std::uint32_t state;

  int next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
  // The state after `count` more draws.
  std::uint32_t after(int count) const {
    RecordedSequence copy = *this;
    for (int i = 0; i < count; ++i) copy.next();
    return copy.state;
  }
};

// The first seed from 1 on whose sequence `wanted` accepts (it may draw as much as it likes).
template <typename Predicate>
std::uint32_t first_seed_where(Predicate wanted) {
  for (std::uint32_t seed = 1;; ++seed) {
    RecordedSequence sequence{seed};
    if (wanted(sequence)) return seed;
  }
}
