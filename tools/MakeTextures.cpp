// make-textures: paints the program's runtime images into a folder (default "Textures"), or with
// --scenarios FOLDER the height maps the shipped scenarios need.
#include <cstdio>
#include <string>

#include "tools/TextureSet.h"

int main(int argc, char** argv) {
  const bool scenarios = argc > 2 && std::string(argv[1]) == "--scenarios";
  const std::string folder = scenarios ? argv[2] : (argc > 1 ? argv[1] : "Textures");
  if (!(scenarios ? TextureSet::WriteScenarioImages(folder) : TextureSet::WriteAll(folder))) {
    std::fprintf(stderr, "make-textures: cannot write the images into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
