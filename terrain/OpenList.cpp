// Block list behind the path search's open list: a linear walk over block maxima, then within one
// block, instead of a walk over every node.
#include "terrain/OpenList.h"

#include <algorithm>
#include <cassert>

namespace {
// Blocks are split when they grow past twice this size.
constexpr std::size_t kBlockSize = 32;
}  // namespace

std::size_t OpenList::Size() const {
  std::size_t size = 0;
  for (const auto& block : blocks) {
    size += block->nodes.size();
  }
  return size;
}

PathNode* OpenList::PopFront() {
  assert(!blocks.empty() && "PopFront on an empty open list");
  OpenBlock& first = *blocks.front();
  PathNode* node = first.nodes.front();
  first.nodes.erase(first.nodes.begin());
  node->block = nullptr;
  if (first.nodes.empty()) {
    blocks.erase(blocks.begin());
  } else {
    RecomputeMax(first);
  }
  return node;
}

void OpenList::Insert(PathNode* node) {
  const float f = node->f;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    OpenBlock& block = *blocks[b];
    if (block.maxF < f) {
      continue;
    }
    const auto at =
        std::find_if(block.nodes.begin(), block.nodes.end(), [f](const PathNode* other) { return !(other->f < f); });
    InsertInto(b, static_cast<std::size_t>(at - block.nodes.begin()), node);
    return;
  }
  if (blocks.empty()) {
    blocks.push_back(std::make_unique<OpenBlock>());
    blocks.back()->maxF = f;
  }
  InsertInto(blocks.size() - 1, blocks.back()->nodes.size(), node);
}

void OpenList::InsertInto(std::size_t blockIndex, std::size_t position, PathNode* node) {
  OpenBlock& block = *blocks[blockIndex];
  block.nodes.insert(block.nodes.begin() + static_cast<std::ptrdiff_t>(position), node);
  node->block = &block;
  block.maxF = std::max(block.maxF, node->f);
  SplitIfFull(blockIndex);
}

void OpenList::SplitIfFull(std::size_t blockIndex) {
  OpenBlock& block = *blocks[blockIndex];
  if (block.nodes.size() <= 2 * kBlockSize) {
    return;
  }
  auto tail = std::make_unique<OpenBlock>();
  const auto middle = block.nodes.begin() + static_cast<std::ptrdiff_t>(kBlockSize);
  tail->nodes.assign(middle, block.nodes.end());
  block.nodes.erase(middle, block.nodes.end());
  for (PathNode* moved : tail->nodes) {
    moved->block = tail.get();
  }
  RecomputeMax(block);
  RecomputeMax(*tail);
  blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(blockIndex) + 1, std::move(tail));
}

void OpenList::Updated(PathNode* node) {
  assert(node->block != nullptr && "Updated on a node that is not open");
  RecomputeMax(*node->block);
}

void OpenList::RecomputeMax(OpenBlock& block) {
  block.maxF = block.nodes.front()->f;
  for (const PathNode* node : block.nodes) {
    block.maxF = std::max(block.maxF, node->f);
  }
}

void OpenList::Clear() {
  for (const auto& block : blocks) {
    for (PathNode* node : block->nodes) {
      node->block = nullptr;
    }
  }
  blocks.clear();
}
