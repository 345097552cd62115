// What every object of a unit type shares: its name prefix, image, attack range and billboard size.
// Read wherever objects are made or drawn.
#pragma once

struct UnitTypeInfo {
  // type is a UnitType code 0..6.
  static const UnitTypeInfo& Of(int type);

  // The name prefix ends in a blank and is followed by the serial; Blood and Arrow carry the
  // bare word, so all of them share one name.
  const char* name;
  const char* textureFile;
  float attackRange;
  bool numbered;
  // Half the width (and height) of the type's billboard.
  float halfSize;
};
