// A hand order as one word group of a battle line: "812 SquadLeader 3 to 12 -30 wedge" sends a squad,
// "900 fight" sends the General; what a report keeps and what --orders and --verify read back.
#pragma once

#include <optional>
#include <string>

#include "units/HandOrder.h"

class HandOrderText {
 public:
  static std::string Format(const HandOrder& order);
  // Nullopt for anything that is not an order as Format writes it.
  static std::optional<HandOrder> Parse(const std::string& text);
  // "keep", "block", "wedge", "vee" for shapes 0 to 3; nullopt for any other name.
  static const char* ShapeName(int formation);
  static std::optional<int> ShapeNamed(const std::string& name);
};
