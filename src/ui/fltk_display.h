// FLTK's own connection to the X display, apart from SDL's: the settings dialog and the message
// boxes share it. It stays open once opened.
#pragma once

// Opens the connection unless it is open; false when there is no display to reach (FLTK itself
// would end the program then).
bool open_fltk_display();
// Puts what FLTK drew or took down on the screen now, so that a hidden window is gone before the
// caller goes on with its own connection.
void sync_fltk_display();
