// The texture loader: decodes a PNG file and uploads it into the bound GL texture.
#pragma once

#include <string>

class PngLoader {
 public:
  // Loads a PNG into the currently bound GL_TEXTURE_2D as RGBA, honouring the file's own alpha
  // (opaque when it has none), no mipmaps. false on any failure (nothing uploaded).
  static bool LoadTexture(const std::string& path);
};
