// Depth ordering of the world objects' billboards and the billboard pass split across two cores.
#include "render/BillboardRenderer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "objects/GameObject.h"
#include "objects/GameObjectManager.h"
#include "objects/Sprite.h"
#include "render/TextureManager.h"
#include "units/UnitFactory.h"

namespace {
// As in the objects' update: objects are fetched this far ahead, their billboards half as far.
constexpr std::size_t kFetchObject = 24;
constexpr std::size_t kFetchParts = 12;

}  // namespace

BillboardRenderer::TypeTextures BillboardRenderer::TexturesFrom(TextureManager* textures) {
  TypeTextures byType{};
  if (textures == nullptr) return byType;
  for (int type = 0; type < UnitType::kCount; ++type) {
    byType[static_cast<std::size_t>(type)] = textures->GetTexture(UnitFactory::Info(type).textureFile);
  }
  return byType;
}

unsigned BillboardRenderer::TextureOf(const Sprite& sprite, const TypeTextures& textures) {
  if (sprite.owner == nullptr) return 0;
  const int type = sprite.owner->unitType;
  return type >= 0 && type < UnitType::kCount ? textures[static_cast<std::size_t>(type)] : 0;
}

// Objects and their billboards are fetched ahead as in the objects' update; the sort keeps
// registry order among equal depths.
void BillboardRenderer::SortByDepth(const std::vector<GameObject*>& objects, const Vector3& viewAxis) {
  depthSort.Clear();
  registryOrder.clear();
  const std::size_t count = objects.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchObject < count) __builtin_prefetch(objects[i + kFetchObject]);
    if (i + kFetchParts < count) __builtin_prefetch(objects[i + kFetchParts]->GetSprite());
    const Sprite* sprite = objects[i]->GetSprite();
    depthSort.Add(sprite != nullptr ? sprite->position.Dot(viewAxis) : 0.0f);
    registryOrder.push_back({objects[i], sprite});
  }
  depthOrder.clear();
  for (const std::uint32_t position : depthSort.Sort()) depthOrder.push_back(registryOrder[position]);
}

std::vector<GameObject*> BillboardRenderer::DepthSorted(const GameObjectManager& objects, const Vector3& viewAxis) {
  BillboardRenderer renderer;
  renderer.SortByDepth(objects.InRegistryOrder(), viewAxis);
  std::vector<GameObject*> sorted;
  sorted.reserve(renderer.depthOrder.size());
  for (const DepthEntry& entry : renderer.depthOrder) sorted.push_back(entry.object);
  return sorted;
}

void BillboardRenderer::Draw(const GameObjectManager& objects, const TypeTextures& textures, const Vector3& viewAxis) {
  BeginDraw(objects, textures, viewAxis);
  EndDraw();
}

void BillboardRenderer::BeginDraw(const GameObjectManager& objects, const TypeTextures& textures,
                                  const Vector3& viewAxis, std::function<void()> first) {
  AwaitPrepared();
  billboards.Begin();
  preparing = std::jthread([this, &objects, textures, viewAxis, first = std::move(first)] {
    try {
      if (first) first();
      PrepareBillboards(objects, textures, viewAxis);
    } catch (...) {
      preparingFailed = std::current_exception();
    }
  });
}

void BillboardRenderer::AwaitPrepared() {
  if (preparing.joinable()) preparing.join();
  if (preparingFailed) std::rethrow_exception(std::exchange(preparingFailed, nullptr));
}

void BillboardRenderer::EndDraw() {
  AwaitPrepared();
  billboards.Draw();
}

// In depth order the billboards lie scattered in memory; each is fetched a few entries ahead,
// and the line of the object that holds its team and type, which tint it and pick its texture,
// half as far ahead.
void BillboardRenderer::PrepareBillboards(const GameObjectManager& objects, const TypeTextures& textures,
                                          const Vector3& viewAxis) {
  SortByDepth(objects.InRegistryOrder(), viewAxis);
  const std::size_t count = depthOrder.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchParts < count) __builtin_prefetch(depthOrder[i + kFetchParts].sprite);
    if (i + kFetchParts / 2 < count) __builtin_prefetch(&depthOrder[i + kFetchParts / 2].object->team);
    const Sprite* sprite = depthOrder[i].sprite;
    billboards.Add(sprite, sprite != nullptr ? TextureOf(*sprite, textures) : 0);
  }
  billboards.Prepare();
}
