// What a learning General observes of a battle at a decision: every fighting unit's position,
// team, type, squad and whether it duels, in arrays of a fixed length, each unit keeping its slot
// for the whole battle so that the arrays line up from one decision to the next.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class Battle;
class GameObject;

class BattleObservation {
 public:
  // Slots for at most capacity units: every unit the battle raises.
  explicit BattleObservation(std::size_t capacity);

  // The battle as it stands; askingLeader is the squad leader whose squad waits for an order, or null.
  void Take(const Battle& battle, const GameObject* askingLeader);

  std::size_t Capacity() const { return alive.size(); }

  std::vector<float> position;  // x, z per slot
  std::vector<std::int8_t> team;
  std::vector<std::int8_t> type;
  // The slot of the unit's squad leader (a leader's own); -1 for the Generals and empty slots.
  std::vector<std::int32_t> squad;
  std::vector<std::int8_t> inCombat;
  std::vector<std::int8_t> alive;
  std::int32_t asking = -1;
  int askingTeam = -1;

 private:
  // The unit's slot, given at first sight; -1 once the slots are full.
  int SlotOf(const std::string& name);

  std::unordered_map<std::string, int> slots;
};
