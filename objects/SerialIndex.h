// Objects whose names are one type word and a serial ("SquadLeader 12"), by serial, answering
// exactly as a lookup by that name would: the registered object of the name, otherwise the first
// one of that name still waiting to be registered.
#pragma once

#include <string>
#include <vector>

class GameObject;

class SerialIndex {
 public:
  // prefix is the type word with its trailing blank, as the names carry it.
  explicit SerialIndex(std::string prefix);

  // The serial the name carries under this prefix (decimal, written as std::to_string writes
  // it), or -1.
  int SerialOf(const std::string& name) const;
  // False for nearly every name that carries no serial, at the cost of a length and a character
  // test: the prefix's last character must stand where the prefix ends.
  bool MayCarrySerial(const std::string& name) const {
    return name.size() > prefix.size() && (prefix.empty() || name[prefix.size() - 1] == prefix.back());
  }

  // The object manager reports every change of what a name finds.
  void Added(GameObject& object);
  void Registered(GameObject& object);
  void Erased(const GameObject& object);
  void PendingCleared();

  // Null when no object carries the name with this serial.
  GameObject* Find(int serial) const;
  // One more than the largest serial ever seen; every serial from here on finds nothing.
  int End() const { return static_cast<int>(registered.size()); }

 private:
  void Grow(int serial);

  std::string prefix;
  std::vector<GameObject*> registered;
  std::vector<GameObject*> pending;
  std::vector<int> pendingSerials;  // the slots of pending in use, to clear them cheaply
};
