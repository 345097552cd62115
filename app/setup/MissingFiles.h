// Tells the user, on standard error, about the images a battle needs and cannot read, or reads
// otherwise than they look. The window runs on without them; the headless runner refuses a
// battle that could never end.
#pragma once

#include <string>

class Battle;

class MissingFiles {
 public:
  // false, with the reason on standard error, when the height map cannot give the terrain any
  // ground: no route is ever found on an empty field and no battle ends. A readable colour map
  // without alpha is warned about; each call warns again, so a run calls this once.
  static bool GroundReadable(const std::string& heightMap, const char* program);
  // The window's warning for a game whose terrain stayed empty, or whose height map is colour
  // without alpha.
  static void ReportGround(const Battle& battle, const char* program);
};
