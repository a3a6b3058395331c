#include "platform/desktop/desktop.h"

#include <malloc.h>

void keep_freed_memory() {
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
}
