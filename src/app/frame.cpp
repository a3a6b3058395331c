#include "app/frame.h"

#include <GL/gl.h>

bool draw_frame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return true;
}
