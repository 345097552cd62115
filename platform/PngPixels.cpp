// PNG decoding with libpng into 8-bit pixels.
#include "platform/PngPixels.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kSignatureBytes = 8;
// Larger headers are refused before any allocation: no image of this program comes close, and a
// corrupt header must not make us reserve gigabytes.
constexpr png_uint_32 kMaxSide = 8192;

// Everything a decode owns, as plain data: it lives in the caller of the function that calls
// setjmp, so a long jump out of libpng leaves it intact for the cleanup.
struct DecodeJob {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  unsigned char* pixels = nullptr;
  png_bytep* rows = nullptr;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int components = 0;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

void OnPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Reading past the end of the bytes is a truncated file: libpng's error path unwinds it.
void ReadFromJob(png_structp png, png_bytep target, png_size_t length) {
  DecodeJob& job = *static_cast<DecodeJob*>(png_get_io_ptr(png));
  if (length > job.size - job.offset) {
    png_error(png, "truncated");
  }
  std::memcpy(target, job.data + job.offset, length);
  job.offset += length;
}

void ReleaseJob(DecodeJob& job) {
  if (job.png != nullptr) {
    png_destroy_read_struct(&job.png, &job.info, nullptr);
  }
  std::free(job.rows);
  std::free(job.pixels);
  job = DecodeJob{};
}

bool HasPngSignature(const unsigned char* data, std::size_t size) {
  return size >= kSignatureBytes && png_sig_cmp(data, 0, kSignatureBytes) == 0;
}

std::size_t BigEndian32(const unsigned char* bytes) {
  return (std::size_t{bytes[0]} << 24) | (std::size_t{bytes[1]} << 16) | (std::size_t{bytes[2]} << 8) | bytes[3];
}

// True when every chunk up to and including IEND lies wholly within the bytes. libpng reserves a
// side chunk's stated length before reading it, so a corrupt length in a file of a few bytes
// would cost gigabytes; such a file could never decode anyway, as its end is read first.
bool HasWholeChunks(const unsigned char* data, std::size_t size) {
  constexpr std::size_t kFramingBytes = 12;  // length, type and checksum
  std::size_t offset = kSignatureBytes;
  while (size >= offset + kFramingBytes) {
    const std::size_t length = BigEndian32(data + offset);
    if (length > size - offset - kFramingBytes) {
      return false;
    }
    if (std::memcmp(data + offset + 4, "IEND", 4) == 0) {
      return true;
    }
    offset += length + kFramingBytes;
  }
  return false;
}

// The whole file, or false when it cannot be opened or read to its end. A file that does not
// start like a PNG is not read any further, however large it is.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  unsigned char chunk[65536];
  std::size_t count = 0;
  bool png = true;
  while (png && (count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + count);
    png = HasPngSignature(bytes.data(), bytes.size());
  }
  const bool complete = png && std::ferror(file) == 0;
  std::fclose(file);
  return complete;
}

// Asks libpng for 8-bit samples: palette to RGB, transparency chunks to an alpha channel, small
// grey depths widened, 16-bit narrowed to the high byte.
void RequestEightBitSamples(png_structp png, png_infop info) {
  const png_byte colourType = png_get_color_type(png, info);
  const png_byte bitDepth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);
  }
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    png_set_tRNS_to_alpha(png);
  }
  if (bitDepth == 16) {
    png_set_strip_16(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

bool AllocateRows(DecodeJob& job, std::size_t rowBytes) {
  job.pixels = static_cast<unsigned char*>(std::malloc(rowBytes * job.height));
  job.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * job.height));
  if (job.pixels == nullptr || job.rows == nullptr) {
    return false;
  }
  for (png_uint_32 row = 0; row < job.height; ++row) {
    job.rows[row] = job.pixels + rowBytes * row;
  }
  return true;
}

// Must be called with job.png and job.info created and job.offset past the signature. Only plain
// data lives in this frame, as libpng leaves it by long jump on any error.
bool DecodeImage(DecodeJob& job) {
  if (setjmp(png_jmpbuf(job.png)) != 0) {
    return false;
  }
  png_set_read_fn(job.png, &job, ReadFromJob);
  png_set_sig_bytes(job.png, static_cast<int>(kSignatureBytes));
  png_set_user_limits(job.png, kMaxSide, kMaxSide);
  png_read_info(job.png, job.info);
  RequestEightBitSamples(job.png, job.info);
  job.width = png_get_image_width(job.png, job.info);
  job.height = png_get_image_height(job.png, job.info);
  job.components = png_get_channels(job.png, job.info);
  const std::size_t rowBytes = png_get_rowbytes(job.png, job.info);
  if (job.width == 0 || job.height == 0 || rowBytes != std::size_t{job.width} * job.components) {
    return false;
  }
  if (!AllocateRows(job, rowBytes)) {
    return false;
  }
  png_read_image(job.png, job.rows);
  png_read_end(job.png, nullptr);
  return true;
}

bool OpenJob(const unsigned char* data, std::size_t size, DecodeJob& job) {
  if (data == nullptr || !HasPngSignature(data, size) || !HasWholeChunks(data, size)) {
    return false;
  }
  job.data = data;
  job.size = size;
  job.offset = kSignatureBytes;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (job.png == nullptr) {
    return false;
  }
  job.info = png_create_info_struct(job.png);
  return job.info != nullptr;
}

}  // namespace

bool PngPixels::LoadRaw(const std::string& path, PngRaw& out) {
  std::vector<unsigned char> bytes;
  return ReadWholeFile(path, bytes) && LoadRawFromMemory(bytes.data(), bytes.size(), out);
}

bool PngPixels::LoadRawFromMemory(const unsigned char* data, std::size_t size, PngRaw& out) {
  DecodeJob job;
  const bool decoded = OpenJob(data, size, job) && DecodeImage(job);
  if (decoded) {
    const std::size_t bytes = std::size_t{job.width} * job.height * static_cast<std::size_t>(job.components);
    out.width = static_cast<int>(job.width);
    out.height = static_cast<int>(job.height);
    out.components = job.components;
    out.pixels.assign(job.pixels, job.pixels + bytes);
  }
  ReleaseJob(job);
  return decoded;
}

bool PngPixels::ReadSize(const std::string& path, int& width, int& height) {
  // Signature, then the header chunk's length, type, width and height.
  constexpr std::size_t kHeaderBytes = kSignatureBytes + 16;
  constexpr std::size_t kHeaderDataBytes = 13;
  unsigned char bytes[kHeaderBytes];
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  const std::size_t count = std::fread(bytes, 1, kHeaderBytes, file);
  std::fclose(file);
  if (count != kHeaderBytes || !HasPngSignature(bytes, count) || BigEndian32(bytes + 8) != kHeaderDataBytes ||
      std::memcmp(bytes + 12, "IHDR", 4) != 0) {
    return false;
  }
  const std::size_t w = BigEndian32(bytes + 16);
  const std::size_t h = BigEndian32(bytes + 20);
  // The format caps sides at 2^31 - 1, so a larger value is a corrupt header.
  constexpr std::size_t kLargestSide = 0x7fffffff;
  if (w == 0 || h == 0 || w > kLargestSide || h > kLargestSide) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}
