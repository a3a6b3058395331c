// Windows' heap has no trimming to hold back, and its OpenGL is the graphics driver's, not Mesa's.
#include "platform/desktop/desktop.h"

void keep_freed_memory() {}
