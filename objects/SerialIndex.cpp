// Serial lookups for the names the unit factory numbers.
#include "objects/SerialIndex.h"

#include <climits>
#include <utility>

#include "objects/GameObject.h"

SerialIndex::SerialIndex(std::string namePrefix) : prefix(std::move(namePrefix)) {}

int SerialIndex::SerialOf(const std::string& name) const {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  const std::size_t first = prefix.size();
  // "SquadLeader 07" is not the name of serial 7.
  if (name[first] == '0' && name.size() > first + 1) return -1;
  long long serial = 0;
  for (std::size_t i = first; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    serial = serial * 10 + (name[i] - '0');
    if (serial > INT_MAX) return -1;
  }
  return static_cast<int>(serial);
}

void SerialIndex::Grow(int serial) {
  const auto size = static_cast<std::size_t>(serial) + 1;
  if (registered.size() < size) {
    registered.resize(size, nullptr);
    pending.resize(size, nullptr);
  }
}

void SerialIndex::Added(GameObject& object) {
  const int serial = SerialOf(object.name);
  if (serial < 0) return;
  Grow(serial);
  if (pending[static_cast<std::size_t>(serial)] != nullptr) return;
  pending[static_cast<std::size_t>(serial)] = &object;
  pendingSerials.push_back(serial);
}

void SerialIndex::Registered(GameObject& object) {
  const int serial = SerialOf(object.name);
  if (serial >= 0) registered[static_cast<std::size_t>(serial)] = &object;
}

void SerialIndex::Erased(const GameObject& object) {
  const int serial = SerialOf(object.name);
  if (serial >= 0 && registered[static_cast<std::size_t>(serial)] == &object) {
    registered[static_cast<std::size_t>(serial)] = nullptr;
  }
}

void SerialIndex::PendingCleared() {
  for (const int serial : pendingSerials) pending[static_cast<std::size_t>(serial)] = nullptr;
  pendingSerials.clear();
}

GameObject* SerialIndex::Find(int serial) const {
  if (serial < 0 || serial >= End()) return nullptr;
  GameObject* found = registered[static_cast<std::size_t>(serial)];
  return found != nullptr ? found : pending[static_cast<std::size_t>(serial)];
}

