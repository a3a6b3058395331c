#include "app/keys.h"

bool keys[key_count];
bool active = true;
