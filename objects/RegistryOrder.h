// The order in which the object registry's entries are walked, kept as a flat list. Objects are
// updated in that order, and walking the registry itself means following a chain of nodes
// scattered over memory, one wait per object, which nothing can fetch ahead.
//
// A batch of registrations mostly adds a few names (a blood splat, an arrow). The list learns
// where each new entry went from the registry's own bucket view, and is walked again in full
// only when that view cannot tell (the registry grew its bucket table, or an entry sits alone at
// the end of its bucket but not at the front of the whole registry).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class GameObject;
class ObjectRemap;

class RegistryOrder {
 public:
  using Registry = std::unordered_map<std::string, std::unique_ptr<GameObject>>;

  explicit RegistryOrder(Registry& kept) : registry(kept) {}

  // A batch's objects must all exist before it begins, so that none takes the address of an
  // object the batch replaces.
  void BeginBatch();
  // Puts the object into the registry under its name; an object already there under that name
  // is destroyed.
  void Register(std::unique_ptr<GameObject> object);
  void EndBatch();
  // Between batches: takes over the other's order, turned to the copies of its objects. This
  // one's registry must hold those copies in the same order.
  void CopyFrom(const RegistryOrder& other, const ObjectRemap& remap);

  // In registry order. The caller may drop entries whose objects it erases from the registry.
  std::vector<GameObject*>& Objects() { return objects; }
  const std::vector<GameObject*>& Objects() const { return objects; }
  // How many batches needed the registry walked in full.
  int FullWalks() const { return fullWalks; }

 private:
  struct Insertion {
    GameObject* object;
    GameObject* before;  // null: at the front of the whole registry
  };

  // An entry under a name the registry did not hold, just inserted.
  void Inserted(const std::string& name, GameObject* object);
  // The entry of a name now holds another object; the old one is gone.
  void Replaced(GameObject* old, GameObject* fresh);
  void Rebuild();
  void Merge();
  GameObject* Current(GameObject* object) const;
  // The object, preceded by those inserted in front of it, nearest last.
  void EmitWithInsertedBefore(GameObject* object, std::vector<GameObject*>& out) const;
  bool MatchesRegistry() const;

  Registry& registry;
  std::vector<GameObject*> objects;
  std::size_t bucketCount = 0;
  bool walkAgain = false;
  int fullWalks = 0;
  std::vector<Insertion> insertions;
  std::unordered_map<GameObject*, GameObject*> insertedBefore;  // entry -> the one put in front of it
  std::unordered_map<GameObject*, GameObject*> replacements;
  std::vector<GameObject*> merged;  // kept between batches so that merging allocates nothing
};
