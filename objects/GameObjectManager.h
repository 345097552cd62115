// Owns every world object: finds them by name, updates them once per frame, deletes the ones
// marked for removal and draws them as depth-sorted billboards batched by texture.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "math/Vector3.h"
#include "objects/GameObject.h"
#include "objects/LeaderGrid.h"
#include "objects/RegistryOrder.h"
#include "objects/SerialIndex.h"
#include "render/BillboardScheduler.h"

class GameObjectManager {
 public:
  // Objects added during a frame are found by name at once but updated and drawn from the next
  // update on.
  void Add(std::unique_ptr<GameObject> object);
  GameObject* Find(const std::string& name) const;
  // What Find would return for "SquadLeader " or "General " followed by the serial, without
  // building the name.
  GameObject* FindSquadLeader(int serial) const { return squadLeaders.Find(serial); }
  GameObject* FindGeneral(int serial) const { return generals.Find(serial); }
  // Every squad leader serial from here on finds nothing.
  int SquadLeaderSerialEnd() const { return squadLeaders.End(); }
  // The squad leaders FindSquadLeader finds, by where they stand.
  LeaderGrid& SquadLeaderGrid() { return squadLeaderGrid; }
  // Hands a message from "System" straight to the object's running machine, bypassing the router.
  void SendSystemMessage(const std::string& name, int code);
  // Marks every registered object; objects still waiting to be registered are left alone.
  void RemoveAll();
  void Update(float dt);
  // Billboards back to front along the camera axis, as far as the picture can tell: see
  // BillboardScheduler. The caller has blending and the depth test on.
  void Draw(const Vector3& viewAxis);
  // Draw in two halves, so that the sorting and layout of thousands of billboards runs on another
  // core while GL draws something else. BeginDraw takes the transforms GL has now and starts the
  // work, after `first` when one is given: the world's step, which then runs beside whatever GL
  // draws meanwhile. AwaitPrepared waits for both and hands on what they threw; EndDraw waits and
  // draws. Nothing else may change the objects in between.
  void BeginDraw(const Vector3& viewAxis, std::function<void()> first = {});
  void AwaitPrepared();
  void EndDraw();
  // Registered objects ordered by their position's projection onto viewAxis, smallest first;
  // equal projections keep registry order.
  std::vector<GameObject*> DepthSorted(const Vector3& viewAxis) const;

  std::size_t RegisteredCount() const { return registry.size(); }
  std::size_t PendingCount() const { return pending.size(); }
  // Every registered object, in registry order.
  std::vector<GameObject*> Registered() const;

 private:
  // An object and its billboard with their place in the depth order: the depth's bits, made to
  // order as the depths do, above the object's position in the registry.
  struct DepthEntry {
    std::uint64_t key;
    GameObject* object;
    const Sprite* sprite;
  };

  void RegisterPending();
  void SortByDepth(const Vector3& viewAxis, std::vector<DepthEntry>& sorted) const;
  void PrepareBillboards(const Vector3& viewAxis);
  // Deletes an object that has just been updated.
  void Erase(GameObject& object);

  std::unordered_map<std::string, std::unique_ptr<GameObject>> registry;
  std::vector<std::unique_ptr<GameObject>> pending;
  RegistryOrder order{registry};
  // The first pending object of each name; the views look at the objects' own names.
  std::unordered_map<std::string_view, GameObject*> pendingByName;
  SerialIndex squadLeaders{"SquadLeader "};
  LeaderGrid squadLeaderGrid{squadLeaders};
  SerialIndex generals{"General "};
  // Kept between frames so that drawing allocates nothing once the arrays have grown.
  std::vector<DepthEntry> depthOrder;
  BillboardScheduler billboards;
  std::exception_ptr preparingFailed;
  // Last, so that it is joined before what it works on goes.
  std::jthread preparing;
};
