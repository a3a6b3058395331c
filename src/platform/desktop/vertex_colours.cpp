#include "platform/vertex_colours.h"

bool vertex_colours_exact() {
  return true;
}
