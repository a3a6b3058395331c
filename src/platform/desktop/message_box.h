// The message boxes drawn with FLTK, on its own connection to the display: no owner window, the
// caption as the window's title, an icon, the text with its line breaks, and OK or Yes and No.
#pragma once

#include "platform/backend.h"

enum class BoxAnswer {
  not_shown,  // no display, or a quit signal came before the box
  yes,        // OK or Yes (Return presses the focused button, at first this one)
  no,         // No, Escape, the close box or a quit signal
};

enum class BoxButtons { ok, yes_no };

// Shows the box and waits until it is answered; it is off the screen on return.
BoxAnswer run_message_box(const char* text, const char* caption, MessageIcon icon,
                          BoxButtons buttons);
