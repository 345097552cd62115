// A compiled GL list drawn with its own material: the static terrain.
#pragma once

#include "render/Lighting.h"

struct DisplayListObject {
  unsigned listName = 0;
  Rgba diffuse{0.5f, 0.5f, 0.5f, 1.0f};
  Rgba specular{0.6f, 0.6f, 0.6f, 1.0f};
  int shininess = 40;
};
