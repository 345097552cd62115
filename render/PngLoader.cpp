// PNG files uploaded as GL textures, decoded by the PNG decoder.
#include "render/PngLoader.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "platform/PngPixels.h"

namespace {

void ExpandToRgba(const PngRaw& raw, std::vector<unsigned char>& rgba) {
  const std::size_t count = static_cast<std::size_t>(raw.width) * static_cast<std::size_t>(raw.height);
  const std::size_t k = static_cast<std::size_t>(raw.components);
  rgba.resize(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* in = &raw.pixels[i * k];
    unsigned char* outPixel = &rgba[i * 4];
    const bool colour = k >= 3;
    outPixel[0] = in[0];
    outPixel[1] = colour ? in[1] : in[0];
    outPixel[2] = colour ? in[2] : in[0];
    outPixel[3] = (k == 2 || k == 4) ? in[k - 1] : 255;
  }
}

void DrainGlErrors() {
  // Bounded because without a current context some drivers report an error forever.
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

bool PngLoader::LoadTexture(const std::string& path) {
  PngRaw raw;
  if (!PngPixels::LoadRaw(path, raw)) {
    return false;
  }
  std::vector<unsigned char> rgba;
  ExpandToRgba(raw, rgba);
  DrainGlErrors();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, raw.width, raw.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return glGetError() == GL_NO_ERROR;
}
