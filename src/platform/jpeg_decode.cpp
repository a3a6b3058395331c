#include "platform/jpeg_decode.h"

#include <sys/stat.h>
#include <turbojpeg.h>

#include <cstdio>
#include <memory>
#include <new>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct DecompressorCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};

// Reads the whole file, refusing one larger than the cap without reading it all: a huge or
// endless file must not be pulled into memory.
bool read_capped(const char* file_name, std::vector<unsigned char>& bytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(file_name, "rb"));
  if (!file) return false;
  struct stat info;
  if (fstat(fileno(file.get()), &info) != 0) return false;
  if (S_ISREG(info.st_mode) && info.st_size > max_jpeg_file_bytes) return false;

  constexpr std::size_t chunk = 64 * 1024;
  bytes.clear();
  for (;;) {
    const std::size_t have = bytes.size();
    if (have > static_cast<std::size_t>(max_jpeg_file_bytes)) return false;
    bytes.resize(have + chunk);
    const std::size_t got = std::fread(bytes.data() + have, 1, chunk, file.get());
    bytes.resize(have + got);
    if (got < chunk) return !std::ferror(file.get());
  }
}

bool within_limits(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width > max_jpeg_side || height > max_jpeg_side) return false;
  return std::int64_t{width} * height <= max_jpeg_pixels;
}

bool decode(const unsigned char* data, std::size_t size, JpegPicture& out) {
  if (data == nullptr || size == 0) return false;
  std::unique_ptr<void, DecompressorCloser> decompressor(tjInitDecompress());
  if (!decompressor) return false;

  int width = 0, height = 0, subsampling = 0, colour_space = 0;
  if (tjDecompressHeader3(decompressor.get(), data, size, &width, &height, &subsampling,
                          &colour_space) != 0) {
    return false;
  }
  if (!within_limits(width, height)) return false;
  // CMYK only looks right through a colour-management system; refuse rather than show wrong
  // colours.
  if (colour_space == TJCS_CMYK || colour_space == TJCS_YCCK) return false;

  try {
    out.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // A warning means damaged data (a truncated file decodes to grey below the break), so it
  // counts as failure; the scan limit stops crafted progressive files that would decode forever.
  const int flags = TJFLAG_BOTTOMUP | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
  if (tjDecompress2(decompressor.get(), data, size, out.rgb.data(), width, width * 3, height,
                    TJPF_RGB, flags) != 0) {
    return false;
  }
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace

bool decode_jpeg_memory(const unsigned char* data, std::size_t size, JpegPicture& out) {
  out = JpegPicture{};
  if (decode(data, size, out)) return true;
  out = JpegPicture{};
  return false;
}

bool decode_jpeg_file(const char* file_name, JpegPicture& out) {
  out = JpegPicture{};
  std::vector<unsigned char> bytes;
  if (file_name == nullptr || !read_capped(file_name, bytes)) return false;
  return decode_jpeg_memory(bytes.data(), bytes.size(), out);
}
