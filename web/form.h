// The page's settings form: the settings dialog's controls, shown by the page's script.
#pragma once

struct DialogState;

void page_show_form(const DialogState& state);
