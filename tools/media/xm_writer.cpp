#include "xm_writer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace xm {
namespace {

constexpr double c4_rate = 8363.0;  // playback rate of an untuned sample at C-4
constexpr std::uint32_t instrument_header_size = 263;
constexpr std::uint32_t sample_header_size = 40;
constexpr std::size_t max_envelope_points = 12;

class Writer {
 public:
  void u8(unsigned value) { bytes.push_back(static_cast<unsigned char>(value & 0xFF)); }
  void u16(unsigned value) {
    u8(value);
    u8(value >> 8);
  }
  void u32(std::uint32_t value) {
    u16(value & 0xFFFF);
    u16(value >> 16);
  }
  void text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
  }
  void zeros(std::size_t size) { bytes.insert(bytes.end(), size, 0); }
  std::vector<unsigned char> bytes;
};

void require(bool condition, const char* what) {
  if (!condition) throw std::invalid_argument(std::string("xm: ") + what);
}

void write_header(Writer& w, const Module& m) {
  w.text("Extended Module: ", 17);
  w.text(m.name, 20);
  w.u8(0x1A);
  w.text("swirlbeam media", 20);
  w.u16(0x0104);
  w.u32(276);  // header size, counted from this field
  w.u16(static_cast<unsigned>(m.order.size()));
  w.u16(0);  // restart position
  w.u16(static_cast<unsigned>(m.channels));
  w.u16(static_cast<unsigned>(m.patterns.size()));
  w.u16(static_cast<unsigned>(m.instruments.size()));
  w.u16(1);  // linear frequency table
  w.u16(static_cast<unsigned>(m.speed));
  w.u16(static_cast<unsigned>(m.bpm));
  for (std::size_t i = 0; i < 256; ++i) w.u8(i < m.order.size() ? m.order[i] : 0);
}

// Each cell is packed: a flag byte saying which of the five fields follow.
void write_pattern(Writer& w, const Pattern& p) {
  w.u32(9);  // pattern header size
  w.u8(0);   // packing type
  w.u16(static_cast<unsigned>(p.rows));
  const std::size_t size_at = w.bytes.size();
  w.u16(0);
  const std::size_t data_start = w.bytes.size();
  for (const Cell& c : p.cells) {
    unsigned flags = 0x80;
    if (c.note) flags |= 0x01;
    if (c.instrument) flags |= 0x02;
    if (c.volume) flags |= 0x04;
    if (c.effect) flags |= 0x08;
    if (c.parameter) flags |= 0x10;
    w.u8(flags);
    if (c.note) w.u8(c.note);
    if (c.instrument) w.u8(c.instrument);
    if (c.volume) w.u8(c.volume);
    if (c.effect) w.u8(c.effect);
    if (c.parameter) w.u8(c.parameter);
  }
  const std::size_t size = w.bytes.size() - data_start;
  require(size <= 0xFFFF, "pattern data too large");
  w.bytes[size_at] = static_cast<unsigned char>(size & 0xFF);
  w.bytes[size_at + 1] = static_cast<unsigned char>(size >> 8);
}

void write_instrument(Writer& w, const Instrument& in) {
  const std::size_t start = w.bytes.size();
  w.u32(instrument_header_size);
  w.text(in.name, 22);
  w.u8(0);   // type
  w.u16(1);  // one sample
  w.u32(sample_header_size);
  w.zeros(96);  // every note plays sample 0
  for (std::size_t i = 0; i < max_envelope_points; ++i) {
    const bool used = i < in.volume_envelope.size();
    w.u16(used ? static_cast<unsigned>(in.volume_envelope[i].tick) : 0);
    w.u16(used ? static_cast<unsigned>(in.volume_envelope[i].value) : 0);
  }
  w.zeros(48);  // panning envelope
  w.u8(static_cast<unsigned>(in.volume_envelope.size()));
  w.u8(0);  // panning points
  w.u8(in.sustain_point >= 0 ? static_cast<unsigned>(in.sustain_point) : 0);
  w.u8(0);     // volume loop start
  w.u8(0);     // volume loop end
  w.zeros(3);  // panning sustain and loop
  unsigned volume_type = 0;
  if (!in.volume_envelope.empty()) volume_type |= 1;
  if (in.sustain_point >= 0) volume_type |= 2;
  w.u8(volume_type);
  w.u8(0);  // panning type
  w.u8(0);  // vibrato waveform: sine
  w.u8(static_cast<unsigned>(in.vibrato_sweep));
  w.u8(static_cast<unsigned>(in.vibrato_depth));
  w.u8(static_cast<unsigned>(in.vibrato_rate));
  w.u16(static_cast<unsigned>(in.fadeout));
  w.zeros(instrument_header_size - (w.bytes.size() - start));

  // Lengths and loop points are in bytes; 16-bit data is stored as differences.
  w.u32(static_cast<std::uint32_t>(in.sample.size() * 2));
  w.u32(static_cast<std::uint32_t>(in.loop_start * 2));
  w.u32(static_cast<std::uint32_t>(in.loop_length * 2));
  w.u8(static_cast<unsigned>(in.volume));
  w.u8(static_cast<unsigned>(static_cast<std::int8_t>(in.finetune)));
  w.u8(0x10 | (in.loop_length > 0 ? 1 : 0));  // 16-bit, forward loop
  w.u8(static_cast<unsigned>(in.panning));
  w.u8(static_cast<unsigned>(static_cast<std::int8_t>(in.relative_note)));
  w.u8(0);  // plain delta coding
  w.text(in.name, 22);
  std::int16_t previous = 0;
  for (std::int16_t s : in.sample) {
    w.u16(static_cast<std::uint16_t>(static_cast<std::uint16_t>(s) -
                                     static_cast<std::uint16_t>(previous)));
    previous = s;
  }
}

void check(const Module& m) {
  require(m.channels >= 1 && m.channels <= 32, "channel count");
  require(!m.order.empty() && m.order.size() <= 256, "order length");
  require(!m.patterns.empty() && m.patterns.size() <= 256, "pattern count");
  require(m.instruments.size() <= 128, "instrument count");
  require(m.speed >= 1 && m.speed <= 31 && m.bpm >= 32 && m.bpm <= 255, "tempo");
  for (std::uint8_t index : m.order) require(index < m.patterns.size(), "order entry");
  for (const Pattern& p : m.patterns) {
    require(p.rows >= 1 && p.rows <= 256 && p.channels == m.channels, "pattern shape");
    for (const Cell& c : p.cells) {
      require(c.note <= key_off, "note");
      require(c.instrument <= m.instruments.size(), "instrument number");
    }
  }
  for (const Instrument& in : m.instruments) {
    require(!in.sample.empty(), "empty sample");
    require(in.loop_start + in.loop_length <= in.sample.size(), "loop past the sample end");
    require(in.volume_envelope.size() <= max_envelope_points, "envelope points");
    require(in.sustain_point < static_cast<int>(in.volume_envelope.size()), "sustain point");
    require(in.fadeout >= 0 && in.fadeout <= 0xFFF, "fadeout");
    require(in.relative_note >= -96 && in.relative_note <= 95, "relative note");
    require(in.finetune >= -128 && in.finetune <= 127, "finetune");
    require(in.vibrato_depth >= 0 && in.vibrato_depth <= 15 && in.vibrato_rate >= 0 &&
                in.vibrato_rate <= 63 && in.vibrato_sweep >= 0 && in.vibrato_sweep <= 255,
            "vibrato");
  }
}

}  // namespace

std::vector<unsigned char> write_module(const Module& module) {
  check(module);
  Writer w;
  write_header(w, module);
  for (const Pattern& p : module.patterns) write_pattern(w, p);
  for (const Instrument& in : module.instruments) write_instrument(w, in);
  return w.bytes;
}

void tune_to_rate(Instrument& instrument, double rate) {
  const double semitones = 12.0 * std::log2(rate / c4_rate);
  const double whole = std::round(semitones);
  instrument.relative_note = static_cast<int>(whole);
  instrument.finetune =
      std::clamp(static_cast<int>(std::lround((semitones - whole) * 128.0)), -128, 127);
}

}  // namespace xm
