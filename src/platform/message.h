// Message boxes with no owner window. Every message also goes to stderr, one line, so that it is
// seen where no box can be shown.
#pragma once

enum class MessageIcon { exclamation, stop, question, information };

void show_message(const char* text, const char* caption, MessageIcon icon);
// The line on stderr that every message gets: "swirlbeam: CAPTION: TEXT" on one line.
void print_message_line(const char* text, const char* caption);
// A Yes/No question; true for Yes. No display counts as No.
bool ask_yes_no(const char* text, const char* caption);
