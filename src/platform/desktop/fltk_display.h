// FLTK's own connection to the X display, apart from SDL's: the settings dialog and the message
// boxes share it. It stays open once opened.
#pragma once

// Opens the connection unless it is open; false when there is no display to reach (FLTK itself
// would end the program then).
bool open_fltk_display();
// Puts what FLTK drew or took down on the screen now, so that a hidden window is gone before the
// caller goes on with its own connection.
void sync_fltk_display();
// Shows a window as this program's (its icon and class, as the show's window has), centred on the
// primary monitor.
class Fl_Window;
void show_window(Fl_Window& window);
