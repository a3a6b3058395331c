#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/sound.h"
#include "platform/sound_internal.h"

namespace {

using namespace sound_detail;

Recording& recorded() {
  return sound_state().recording;
}

// The mixer's arithmetic: the scaled sample added with saturation, one voice after another.
void mix_voice(Voice& voice, std::int16_t* out, std::size_t frames) {
  const Mix_Chunk& chunk = *voice.sample->chunk;
  const auto* source = reinterpret_cast<const std::int16_t*>(chunk.abuf);
  const std::size_t total = chunk.alen / (2 * sizeof(std::int16_t));
  const std::size_t count = std::min(frames, total - voice.next_frame);
  const std::int16_t* from = source + 2 * voice.next_frame;
  for (std::size_t i = 0; i < 2 * count; ++i) {
    const int scaled = from[i] * voice.volume / MIX_MAX_VOLUME;
    out[i] = static_cast<std::int16_t>(std::clamp(out[i] + scaled, -32768, 32767));
  }
  voice.next_frame += count;
  if (voice.next_frame >= total) voice = Voice{};
}

void record_song(Song* song) {
  try {
    song->module->ctl_set_integer("dither", 0);  // random dither would make every take differ
  } catch (...) {
  }
  song->playing = true;
  recorded().song = song;
}

void record_sample(Sample* sample, int volume) {
  for (Voice& voice : recorded().voices) {
    if (voice.sample != nullptr) continue;
    voice = Voice{sample, 0, channel_volume(volume)};
    return;
  }  // all slots busy: this cue is not heard, as on the live output
}

}  // namespace

const SoundSink sound_detail::recording_sink = {record_song, record_sample};

void start_sound_recording() {
  recorded() = Recording{};
  sound_state().sink = &recording_sink;
}

void render_sound_recording(std::int16_t* out, int frames) {
  if (frames <= 0) return;
  const auto n = static_cast<std::size_t>(frames);
  if (Song* song = recorded().song) {
    render_song(*song, out, n);
    const int to = song->volume.load();
    apply_music_volume(out, n, song->applied_volume, to);
    song->applied_volume = to;
  } else {
    std::fill(out, out + 2 * n, std::int16_t{0});
  }
  for (Voice& voice : recorded().voices) {
    if (voice.sample != nullptr) mix_voice(voice, out, n);
  }
}

void stop_sound_recording() {
  recorded() = Recording{};
  sound_state().sink = &live_sink;
}
