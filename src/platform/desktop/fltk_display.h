// FLTK's own connection to the X display, apart from SDL's: the settings dialog and the message
// boxes share it. It stays open once opened.
#pragma once

// Opens the connection unless it is open; false when there is no display to reach (FLTK itself
// would end the program then).
bool open_fltk_display();
// The desktop's scale as its Xft.dpi resource states it (GNOME, KDE and Xfce set it; FLTK itself
// reads none of it): 1 where it is missing or at 96 dpi, and without a display.
float desktop_scale();
// Puts what FLTK drew or took down on the screen now, so that a hidden window is gone before the
// caller goes on with its own connection.
void sync_fltk_display();
// Shows a window as this program's (its icon and class, as the show's window has), centred on the
// primary monitor.
class Fl_Window;
void show_window(Fl_Window& window);
