#include "song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "instruments.h"
#include "score.h"

namespace {

// 125 ms a row (speed 6 at 120 BPM): eight rows a second, so every stage time is a row.
constexpr int speed = 6;
constexpr int bpm = 120;
constexpr int rows_per_second = 8;
constexpr int bar = 16;
constexpr int beat = 4;
constexpr double tail_seconds = 4;  // silence after the fade, so the song outlasts the show
constexpr int longest_pattern = 64;

int row_at(double seconds) {
  return static_cast<int>(std::lround(seconds * rows_per_second));
}

enum Channel {
  kick_ch,
  snare_ch,
  hat_ch,
  bass_ch,
  pad_ch,
  lead_ch = pad_ch + 3,
  echo_ch,
  arp_ch,
  fx_ch,
  control_ch,
  channel_count
};
enum Instrument { pad = 1, bass, lead, pluck, kick, snare, hat, crash, riser };

// Pitches: octave × 12 + semitone, 48 = C-4.
constexpr int A1 = 21, F1 = 17, C2 = 24, G1 = 19;
struct Chord {
  int root;
  std::array<int, 3> voices;
};
const Chord am = {A1, {45, 48, 52}}, f = {F1, {45, 48, 53}}, c = {C2, {43, 48, 52}},
            g = {G1, {43, 47, 50}};
const std::vector<Chord> progression = {am, f, c, g};  // two bars each

struct Tone {
  int row, pitch, length;
};
// The theme, eight bars over the progression; the answer differs in its first and last bars.
const std::vector<Tone> theme = {
    {0, 57, 8},   {8, 60, 4},   {12, 64, 4},  {16, 62, 6},  {22, 60, 2}, {24, 59, 4}, {28, 57, 4},
    {32, 60, 8},  {40, 57, 4},  {44, 53, 4},  {48, 57, 12}, {64, 55, 4}, {68, 60, 4}, {72, 64, 4},
    {76, 67, 4},  {80, 65, 6},  {86, 64, 2},  {88, 62, 4},  {92, 60, 4}, {96, 59, 8}, {104, 62, 4},
    {108, 67, 4}, {112, 67, 4}, {116, 65, 4}, {120, 64, 4}, {124, 62, 4}};
const std::vector<Tone> answer = {
    {0, 64, 8},  {8, 69, 4},  {12, 67, 4},  {16, 64, 6},  {22, 62, 2},  {24, 60, 4},
    {28, 59, 4}, {32, 60, 8}, {40, 57, 4},  {44, 53, 4},  {48, 57, 12}, {64, 55, 4},
    {68, 60, 4}, {72, 64, 4}, {76, 67, 4},  {80, 65, 6},  {86, 64, 2},  {88, 62, 4},
    {92, 60, 4}, {96, 59, 8}, {104, 62, 4}, {108, 59, 4}, {112, 64, 16}};
const std::vector<Tone> farewell = {{0, 64, 8},  {8, 62, 8},   {16, 60, 8},
                                    {24, 59, 8}, {32, 60, 16}, {48, 57, 52}};

class Composer {
 public:
  explicit Composer(int rows) : score_(rows, channel_count) {}
  Score& score() { return score_; }
  // The chords, two bars each, that the pad, arpeggio and bass follow from here on.
  void follow(const std::vector<Chord>& chords) { chords_ = chords; }

  // A channel's own place in the stereo field, given with every note (a new note resets it).
  void voice(int channel, int row, int pitch, int length, int instrument, int volume) {
    score_.note(channel, row, pitch, length, instrument, volume);
    const int pan = panning(channel, row);
    if (pan != 0x80) score_.effect(channel, row, 0x08, static_cast<std::uint8_t>(pan));
  }

  void chords(int from, int to, int first_chord, int volume, int transpose = 0) {
    for (int row = from, k = first_chord; row < to; row += 2 * bar, ++k) {
      const Chord& chord = chords_[k % chords_.size()];
      const int length = std::min(2 * bar, to - row);
      for (int v = 0; v < 3; ++v)
        voice(pad_ch + v, row, chord.voices[v] + transpose, length, pad, volume);
    }
  }

  // Chord tones an octave up, every `step` rows.
  void arpeggio(int from, int to, int first_chord, int step, int volume, int transpose = 0) {
    static const int order[] = {0, 1, 2, 1};
    for (int row = from, i = 0; row < to; row += step, ++i) {
      const Chord& chord = chords_[(first_chord + (row - from) / (2 * bar)) % chords_.size()];
      const int accent = (row - from) % beat == 0 ? 6 : 0;
      voice(arp_ch, row, chord.voices[order[i % 4]] + 12 + transpose, step, pluck, volume + accent);
    }
  }

  // Held roots (`step` 0) or a syncopated line that jumps to the octave at the end of a bar.
  void bass_line(int from, int to, int first_chord, bool driving, int volume, int transpose = 0) {
    static const int groove[] = {0, 3, 6, 8, 11, 14};
    for (int row = from; row < to; row += bar) {
      const int root =
          chords_[(first_chord + (row - from) / (2 * bar)) % chords_.size()].root + transpose;
      if (!driving) {
        voice(bass_ch, row, root, std::min(bar, to - row), bass, volume);
        continue;
      }
      for (int g : groove) {
        if (row + g >= to) break;
        voice(bass_ch, row + g, g == 14 ? root + 12 : root, 2, bass, volume);
      }
    }
  }

  void beat_drums(int from, int to, int volume, bool with_snare, bool busy_hats) {
    for (int row = from; row < to; ++row) {
      const int in_bar = (row - from) % bar;
      if (in_bar % beat == 0) score_.hit(kick_ch, row, kick, volume);
      if (with_snare && (in_bar == 4 || in_bar == 12)) score_.hit(snare_ch, row, snare, volume - 6);
      if (in_bar % beat == 2)
        score_.hit(hat_ch, row, hat, volume - 16);
      else if (busy_hats && in_bar % 2 == 1)
        score_.hit(hat_ch, row, hat, volume - 34);
    }
  }

  // Snare hits every `step` rows, growing from `soft` to `loud`.
  void roll(int from, int to, int step, int soft, int loud) {
    for (int row = from; row < to; row += step)
      score_.hit(snare_ch, row, snare,
                 soft + (loud - soft) * (row - from) / std::max(1, to - from));
  }

  // The lead, with a quieter echo three rows behind in the other speaker.
  void melody(int from, const std::vector<Tone>& tones, int volume, int transpose = 0) {
    for (const Tone& t : tones) {
      voice(lead_ch, from + t.row, t.pitch + transpose, t.length, lead, volume);
      voice(echo_ch, from + t.row + 3, t.pitch + transpose, t.length, lead, volume / 3);
    }
  }

  void crash_at(int row, int volume) { score_.hit(fx_ch, row, crash, volume); }

  // Global volume falls in a straight line to 0 at row `to`.
  void fade_out(int from, int to) {
    int last = -1;
    for (int row = from; row <= to; ++row) {
      const int volume = 64 * (to - row) / (to - from);
      if (volume != last) score_.effect(control_ch, row, xm::effect_set_global_volume, volume);
      last = volume;
    }
  }

 private:
  static int panning(int channel, int row) {
    switch (channel) {
      case pad_ch:
        return 0x50;
      case pad_ch + 2:
        return 0xB0;
      case echo_ch:
        return 0x40;
      case arp_ch:
        return (row / 2) % 2 ? 0x60 : 0xA0;
      default:
        return 0x80;
    }
  }
  Score score_;
  std::vector<Chord> chords_ = progression;
};

}  // namespace

xm::Module compose_song() {
  const int intro = row_at(intro_start), pause = row_at(break_start), build = row_at(build_start),
            main = row_at(theme_start), lift = row_at(lift_start), ending = row_at(ending_start),
            silence = row_at(silence_start), end = row_at(silence_start + tail_seconds);
  Composer m(end);

  // Intro: chords swelling in, then the plucked arpeggio, the bass and a quiet first theme.
  m.chords(intro, pause, 0, 34);
  m.arpeggio(intro + 4 * bar, pause, 0, 2, 18);
  m.bass_line(intro + 8 * bar, pause, 0, false, 34);
  for (int row = intro + 12 * bar; row < pause; row += beat)
    m.score().hit(hat_ch, row + 2, hat, 12);
  m.melody(intro + 16 * bar, theme, 30);

  // Break: one blow with the strike, then the chords alone and a sparse pluck.
  m.crash_at(pause, 56);
  m.score().hit(kick_ch, pause, kick, 64);
  m.chords(pause, build, 0, 34);
  m.bass_line(pause, pause + 2 * bar, 0, false, 44);
  m.arpeggio(pause + 2 * bar, build, 0, beat, 16);

  // Build: the beat comes in and thickens; a snare roll and a riser lead into the theme.
  m.chords(build, main, 0, 36);
  m.arpeggio(build, main, 0, 1, 24);
  m.beat_drums(build, build + 4 * bar, 50, false, false);
  m.beat_drums(build + 4 * bar, build + 8 * bar, 56, true, true);
  m.bass_line(build + 2 * bar, main, 0, true, 44);
  m.roll(build + 8 * bar, build + 9 * bar, 2, 24, 40);
  m.roll(build + 9 * bar, main, 1, 36, 58);
  m.score().hit(fx_ch, main - 4 * rows_per_second, riser, 40);

  // Theme: a groove for the spoken name, then the theme and its answer; a half-bar fill.
  const int groove_end = main + 6 * bar, fill = lift - bar / 2;
  m.crash_at(main, 52);
  m.chords(main, groove_end, 0, 38);
  m.chords(groove_end, lift, 0, 38);
  m.arpeggio(main, lift, 0, 1, 28);
  m.bass_line(main, groove_end, 0, true, 52);
  m.bass_line(groove_end, lift, 0, true, 52);
  m.beat_drums(main, fill, 60, true, true);
  m.melody(groove_end, theme, 46);
  m.melody(groove_end + 8 * bar, answer, 48);
  m.crash_at(groove_end + 8 * bar, 40);
  m.roll(fill, lift, 1, 40, 60);

  // Lift: everything a whole tone up, brighter drums, the theme once more.
  const int up = 2, lift_fill = ending - bar / 2;
  m.crash_at(lift, 60);
  m.chords(lift, ending, 0, 42, up);
  m.arpeggio(lift, ending, 0, 1, 32, up);
  m.bass_line(lift, ending, 0, true, 56, up);
  m.beat_drums(lift, lift_fill, 62, true, true);
  m.melody(lift, answer, 52, up);
  m.roll(lift_fill, ending, 1, 44, 62);

  // Ending: home key, the theme's last words, and a fade to silence.
  m.follow({am, f, am, am});
  m.crash_at(ending, 56);
  m.score().hit(kick_ch, ending, kick, 60);
  m.chords(ending, silence, 0, 40);
  m.bass_line(ending, silence, 0, false, 44);
  m.arpeggio(ending, silence, 0, 2, 24);
  m.melody(ending, farewell, 46);
  m.fade_out(ending + 2 * rows_per_second, silence);

  xm::Module song;
  song.name = "Swirlbeam";
  song.channels = channel_count;
  song.speed = speed;
  song.bpm = bpm;
  song.instruments = {make_pad(),   make_bass(), make_lead(),  make_pluck(), make_kick(),
                      make_snare(), make_hat(),  make_crash(), make_riser()};
  m.score().cut_into(song, {intro, pause, build, main, lift, ending, silence}, longest_pattern);
  return song;
}
