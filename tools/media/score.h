// The whole piece as one long grid of rows, cut into patterns at the section starts.
#pragma once

#include <vector>

#include "xm_writer.h"

class Score {
 public:
  Score(int rows, int channels) : rows_(rows), grid_(rows, channels) {}
  int rows() const { return rows_; }

  // A note of `length` rows (pitch 48 = C-4), ended by a key off unless another note follows.
  void note(int channel, int row, int pitch, int length, int instrument, int volume);
  // A note that sounds until the sample or its envelope ends.
  void hit(int channel, int row, int instrument, int volume, int pitch = 48);
  void effect(int channel, int row, std::uint8_t effect, std::uint8_t parameter);

  // Patterns of at most `longest` rows; every entry of `section_starts` begins a pattern.
  void cut_into(xm::Module& module, const std::vector<int>& section_starts, int longest) const;

 private:
  int rows_;
  xm::Pattern grid_;
};
