#include "platform/backend.h"

// The GL emulation keeps a colour given with the vertices in bytes, and leaves it switched on
// for the draws after.
bool vertex_colours_exact() {
  return false;
}
