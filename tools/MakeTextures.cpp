// make-textures: paints the program's runtime images into a folder (default "Textures").
#include <cstdio>
#include <string>

#include "tools/TextureSet.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "Textures";
  if (!TextureSet::WriteAll(folder)) {
    std::fprintf(stderr, "make-textures: cannot write the images into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
