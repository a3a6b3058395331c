// Message boxes with no owner window. Every message also goes to stderr, one line, so that it is
// seen where no box can be shown.
#pragma once

enum class MessageIcon { exclamation, stop, question, information };

void show_message(const char* text, const char* caption, MessageIcon icon);
// A Yes/No question; true for Yes. No display counts as No.
bool ask_yes_no(const char* text, const char* caption);
