// The follower type a squad goes by, named as scenario files, strategy scripts, Python Generals and
// battle lines name it.
#pragma once

#include <array>
#include <string_view>

class BattleContext;
class GameObject;

class SquadType {
 public:
  // The follower types by UnitType code. Each name is a literal, so data() is a C string.
  static constexpr std::array<std::string_view, 3> kNames{"soldier", "archer", "berserker"};

  // The type of the leader's squad: its first follower's, or while it has none the type it raised;
  // "unknown" when neither is a follower type.
  static std::string_view NameOf(const BattleContext& battle, const GameObject& leader);
};
