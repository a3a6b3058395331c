#include "score.h"

#include <algorithm>

void Score::note(int channel, int row, int pitch, int length, int instrument, int volume) {
  if (row < 0 || row >= rows_) return;
  hit(channel, row, instrument, volume, pitch);
  const int end = row + length;
  if (end < rows_ && grid_.at(end, channel).note == xm::no_note)
    grid_.at(end, channel).note = xm::key_off;
}

void Score::hit(int channel, int row, int instrument, int volume, int pitch) {
  if (row < 0 || row >= rows_) return;
  xm::Cell& c = grid_.at(row, channel);
  c.note = static_cast<std::uint8_t>(pitch + 1);
  c.instrument = static_cast<std::uint8_t>(instrument);
  c.volume = xm::set_volume(std::clamp(volume, 0, 64));
}

void Score::effect(int channel, int row, std::uint8_t effect, std::uint8_t parameter) {
  if (row < 0 || row >= rows_) return;
  grid_.at(row, channel).effect = effect;
  grid_.at(row, channel).parameter = parameter;
}

void Score::cut_into(xm::Module& module, const std::vector<int>& section_starts,
                     int longest) const {
  std::vector<int> cuts = section_starts;
  cuts.push_back(rows_);
  std::sort(cuts.begin(), cuts.end());
  int row = 0;
  for (int next_cut : cuts) {
    while (row < next_cut) {
      const int length = std::min(longest, next_cut - row);
      xm::Pattern p(length, grid_.channels);
      for (int r = 0; r < length; ++r) {
        for (int c = 0; c < grid_.channels; ++c) p.at(r, c) = grid_.at(row + r, c);
      }
      module.order.push_back(static_cast<std::uint8_t>(module.patterns.size()));
      module.patterns.push_back(std::move(p));
      row += length;
    }
  }
}
