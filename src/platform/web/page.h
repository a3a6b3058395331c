// The web page around the show: its message panel, question box and the state
// it shows. Calls out of C++ into the page's script (page.js); the page's calls in are the
// web_* functions of the web entry.
#pragma once

#include "platform/backend.h"

void page_show_message(const char* text, const char* caption, MessageIcon icon);
// A Yes/No box in the page; the answer arrives later through web_answer.
void page_ask(const char* text, const char* caption);
// The canvas is in use: windowed on the page, or filling the screen.
void page_playing(bool full_screen);
// Once the player has closed the boxes on show, the page starts again at the settings form.
void page_return_to_form();
// The program has ended: the page says so and offers to play again.
void page_ended(int exit_code);
// Writes the settings storage back to the browser's database.
void page_save_storage();
