// The world objects' billboards, drawn back to front along the camera axis and batched by texture;
// the sorting and layout of thousands of them runs on another core while GL draws something else.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

#include "math/Vector3.h"
#include "objects/UnitType.h"
#include "render/BillboardScheduler.h"
#include "render/DepthKeySort.h"

class GameObject;
class GameObjectManager;
class Sprite;
class TextureManager;

class BillboardRenderer {
 public:
  // The texture of each unit type's billboards, by type code. A type with texture 0 is not drawn,
  // and neither is a billboard without an owner of a known type: without a window nothing is.
  using TypeTextures = std::array<unsigned, UnitType::kCount>;

  // What the manager holds for each unit type's image, loading any it lacks; must be called with a
  // current GL context. No manager (no window): all 0.
  static TypeTextures TexturesFrom(TextureManager* textures);
  static unsigned TextureOf(const Sprite& sprite, const TypeTextures& textures);

  // Billboards back to front along the camera axis, as far as the picture can tell: see
  // BillboardScheduler. The caller has blending and the depth test on.
  void Draw(const GameObjectManager& objects, const TypeTextures& textures, const Vector3& viewAxis);
  // Draw in two halves. BeginDraw takes the transforms GL has now and starts the work, after
  // `first` when one is given: the world's step, which then runs beside whatever GL draws
  // meanwhile. AwaitPrepared waits for both and hands on what they threw; EndDraw waits and draws.
  // Nothing else may change the objects in between, and they must outlive the work.
  void BeginDraw(const GameObjectManager& objects, const TypeTextures& textures, const Vector3& viewAxis,
                 std::function<void()> first = {});
  void AwaitPrepared();
  void EndDraw();
  // The manager's registered objects ordered by their position's projection onto viewAxis,
  // smallest first; equal projections keep registry order.
  static std::vector<GameObject*> DepthSorted(const GameObjectManager& objects, const Vector3& viewAxis);

 private:
  struct DepthEntry {
    GameObject* object;
    const Sprite* sprite;
  };

  // Into depthOrder.
  void SortByDepth(const std::vector<GameObject*>& objects, const Vector3& viewAxis);
  void PrepareBillboards(const GameObjectManager& objects, const TypeTextures& textures, const Vector3& viewAxis);

  // Kept between frames so that drawing allocates nothing once the arrays have grown.
  std::vector<DepthEntry> registryOrder;
  std::vector<DepthEntry> depthOrder;
  DepthKeySort depthSort;
  BillboardScheduler billboards;
  std::exception_ptr preparingFailed;
  // Last, so that it is joined before what it works on goes.
  std::jthread preparing;
};
