// Texture loading through the PNG layer, cached by file name.
#include "render/TextureManager.h"

#include <GL/gl.h>

#include <iostream>

#include "platform/FileDiagnosis.h"
#include "render/PngLoader.h"

unsigned TextureManager::GetTexture(const std::string& fileName) {
  const auto entry = cache.find(fileName);
  if (entry != cache.end()) return entry->second;
  if (fileName.empty()) return 0;

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  if (PngLoader::LoadTexture(fileName)) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    cache.emplace(fileName, texture);
  } else if (reported.insert(fileName).second) {
    std::cerr << "battlesim: cannot read the image " << FileDiagnosis::DescribeUnreadableImage(fileName)
              << ": its units are drawn without their picture\n";
  }
  return texture;
}
