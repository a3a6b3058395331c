#include "ui/settings_dialog.h"

bool dialog_cancelled = false;

void run_settings_dialog() {}
