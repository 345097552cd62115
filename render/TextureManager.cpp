// Texture loading through the PNG layer, cached by file name.
#include "render/TextureManager.h"

#include <GL/gl.h>

#include <algorithm>
#include <iostream>

#include "platform/DataFiles.h"
#include "platform/FileDiagnosis.h"
#include "render/PngLoader.h"

unsigned TextureManager::GetTexture(const std::string& fileName) {
  const auto entry = cache.find(fileName);
  if (entry != cache.end()) return entry->second;
  if (fileName.empty()) return 0;

  // A file that failed keeps the name it got: a fresh name on every request would leak one per
  // unit raised, battle after battle.
  GLuint texture = 0;
  const auto earlier = unreadable.find(fileName);
  if (earlier != unreadable.end()) {
    texture = earlier->second;
  } else {
    glGenTextures(1, &texture);
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  if (PngLoader::LoadTexture(DataFiles::Find(fileName))) {
    unreadable.erase(fileName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    cache.emplace(fileName, texture);
    return texture;
  }
  if (unreadable.emplace(fileName, texture).second) {
    std::cerr << "battlesim: cannot read the image " << FileDiagnosis::DescribeUnreadableImage(fileName)
              << ": its units are drawn without their picture\n";
  }
  return texture;
}

bool TextureManager::HoldsAll(const std::vector<std::string>& fileNames) const {
  return std::all_of(fileNames.begin(), fileNames.end(),
                     [this](const std::string& file) { return file.empty() || cache.contains(file); });
}
