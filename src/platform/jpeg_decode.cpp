#include "platform/jpeg_decode.h"

#include <sys/stat.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstring>
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

// Adobe's APP14 marker among the segments before the first scan. CMYK files that carry it store
// the inks inverted, as Adobe's own writers do; one without it may hold either form, and guessing
// wrong shows a negative.
bool has_adobe_marker(const unsigned char* data, std::size_t size) {
  std::size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= size && data[at] == 0xFF) {
    const unsigned char marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // the scan or the end begins
    const std::size_t length = std::size_t{data[at + 2]} << 8 | data[at + 3];
    if (length < 2 || at + 2 + length > size) return false;
    if (marker == 0xEE && length >= 14 && std::memcmp(data + at + 4, "Adobe", 5) == 0) return true;
    at += 2 + length;
  }
  return false;
}

// In place, four bytes a pixel down to three. Each inverted ink is the light it lets through, so
// a channel's light is its own times black's.
void inverted_cmyk_to_rgb(std::vector<std::uint8_t>& pixels) {
  const std::size_t count = pixels.size() / 4;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned black = pixels[4 * i + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      pixels[3 * i + c] = static_cast<std::uint8_t>((pixels[4 * i + c] * black + 127) / 255);
    }
  }
  pixels.resize(count * 3);
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
  const bool cmyk = colour_space == TJCS_CMYK || colour_space == TJCS_YCCK;
  if (cmyk && !has_adobe_marker(data, size)) return false;
  const int channels = cmyk ? 4 : 3;

  try {
    out.rgb.resize(static_cast<std::size_t>(width) * height * channels);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // A warning means damaged data (a truncated file decodes to grey below the break), so it
  // counts as failure; the scan limit stops crafted progressive files that would decode forever.
  const int flags = TJFLAG_BOTTOMUP | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
  if (tjDecompress2(decompressor.get(), data, size, out.rgb.data(), width, width * channels, height,
                    cmyk ? TJPF_CMYK : TJPF_RGB, flags) != 0) {
    return false;
  }
  if (cmyk) inverted_cmyk_to_rgb(out.rgb);
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace

bool jpeg_size(const unsigned char* data, std::size_t size, int& width, int& height) {
  if (data == nullptr || size == 0) return false;
  std::unique_ptr<void, DecompressorCloser> decompressor(tjInitDecompress());
  int subsampling = 0, colour_space = 0;
  return decompressor && tjDecompressHeader3(decompressor.get(), data, size, &width, &height,
                                             &subsampling, &colour_space) == 0;
}

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
