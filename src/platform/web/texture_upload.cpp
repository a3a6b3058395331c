// WebGL has no GLU: the mipmaps are built here, level by level as GLU builds them natively, and
// clamped edges are clamped to the edge, as WebGL has no other.
#include "platform/backend.h"

#include <GL/gl.h>

#include "platform/mipmaps.h"

bool upload_mipmapped(const JpegPicture& picture, TextureSize& largest) {
  GLint largest_side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest_side);
  const std::vector<MipmapLevel> levels =
      build_mipmaps(picture.rgb.data(), picture.width, picture.height, largest_side);
  if (levels.empty()) return false;
  upload_mipmaps(levels);
  largest = {levels[0].width, levels[0].height};
  return true;
}

int clamped_wrap_mode() {
  return GL_CLAMP_TO_EDGE;
}
