// The path search's open list: nodes in the order a sorted singly linked list would hold them,
// with insertion "before the first node whose f is not smaller" found without a linear walk.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "terrain/PathNode.h"

// A run of consecutive open nodes and the largest current f among them. Nodes change f in place
// without moving, so the list is not sorted by current f; the per-block maximum still tells
// whether a block holds the first node whose f is not smaller than a given value.
struct OpenBlock {
  std::vector<PathNode*> nodes;
  float maxF = 0.0f;
};

class OpenList {
 public:
  bool Empty() const { return blocks.empty(); }
  std::size_t Size() const;
  // Removes and returns the first node. Must not be called on an empty list.
  PathNode* PopFront();
  // Inserts before the first node (from the front) whose f is not smaller than node->f, or at
  // the end; among equal f the newest node therefore comes first.
  void Insert(PathNode* node);
  // Must be called after the f of a node in the list changed in place; its position stays.
  void Updated(PathNode* node);
  void Clear();

 private:
  static void RecomputeMax(OpenBlock& block);
  void InsertInto(std::size_t blockIndex, std::size_t position, PathNode* node);
  void SplitIfFull(std::size_t blockIndex);

  std::vector<std::unique_ptr<OpenBlock>> blocks;  // never holds an empty block
};
