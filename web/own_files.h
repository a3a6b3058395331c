// The player's own files, tried when the page is given them (own_files.cpp).
#pragma once

// Whether the page can show a canvas of this size: a settings file asking for none, or for more
// than the browser's WebGL can draw on, cannot be shown, as a desktop's window creation would fail.
bool size_showable(int width, int height);
