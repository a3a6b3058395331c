// What the settings dialog shows and what Start! stores, kept apart from any toolkit.
#pragma once

#include "core/settings.h"

struct Resolution {
  const char* text;
  int width;
  int height;
};

// The list's entries in order: an entry's position is how it is selected and read back.
constexpr int resolution_count = 5;
extern const Resolution resolutions[resolution_count];

constexpr int depth_count = 3;
extern const int depth_bits[depth_count];  // 16, 24, 32: the radio buttons in order

// The controls' states, as the user sees them.
struct DialogState {
  int resolution = -1;  // index into `resolutions`; -1 selects nothing (an empty field)
  bool windowed = false;
  bool music = false;
  bool dither = false;
  bool depth[depth_count] = {};  // one flag per radio button; none checked is possible
};

// A character typed into the focused list picks the next entry after `current` that begins with
// it, ignoring case and coming round from the top, so typing it again cycles through all such
// entries. No entry beginning with it leaves `current` as it is.
int next_entry_starting_with(const char* const* entries, int count, int current, char typed);

DialogState fill_dialog(const Settings& s);
// Start!: each field takes the controls' value; no selection or no depth keeps the old value.
void read_back_dialog(const DialogState& state, Settings& s);

// What the dialog's foot says while the Music box no longer tells what this show plays: its sound
// output was chosen from the settings file before the dialog, so a change is heard from the next
// start. Null while it does. `heard`: this show's output plays the music.
const char* music_change_notice(bool heard, bool ticked);

enum class DialogEnd { start, exit, close };

// Applies the way the dialog ended to `s`; returns the new value of dialog_cancelled.
bool end_dialog(DialogEnd how, const DialogState& state, Settings& s);
