#include "decode_picture.h"

#include <turbojpeg.h>

#include "support/fixtures.h"

DecodedPicture decode_picture(const std::string& path) {
  DecodedPicture picture;
  std::vector<unsigned char> bytes = read_bytes(path);
  if (bytes.empty()) return picture;
  tjhandle handle = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle, bytes.data(), bytes.size(), &picture.width, &picture.height,
                          &subsampling, &colourspace) == 0) {
    picture.rgb.resize(std::size_t(picture.width) * picture.height * 3);
    picture.ok = tjDecompress2(handle, bytes.data(), bytes.size(), picture.rgb.data(),
                               picture.width, 0, picture.height, TJPF_RGB, 0) == 0;
  }
  tjDestroy(handle);
  return picture;
}
