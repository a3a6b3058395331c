// The modal settings dialog shown before the show.
#pragma once

// True after Exit or closing the dialog; false after Start!.
extern bool dialog_cancelled;

// Edits `settings` (on Start! only) and sets dialog_cancelled. With no display the dialog cannot
// show: both stay as they are and stderr says so. A `notice` replaces the greeting at the foot.
// `music_heard`: this show's sound output plays the music (chosen before the dialog); the foot
// says so while the Music box says otherwise.
void run_settings_dialog(const char* notice = nullptr, bool music_heard = false);
