#include "platform/backend.h"

bool vertex_colours_exact() {
  return true;
}
