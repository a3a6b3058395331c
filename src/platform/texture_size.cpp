#include "platform/texture_size.h"

#include <map>

namespace {

std::map<std::uint32_t, TextureSize>& sizes() {
  static std::map<std::uint32_t, TextureSize> known;
  return known;
}

}  // namespace

void remember_texture_size(std::uint32_t texture, TextureSize size) {
  sizes()[texture] = size;
}

TextureSize texture_size(std::uint32_t texture) {
  const auto found = sizes().find(texture);
  return found != sizes().end() ? found->second : TextureSize{};
}
