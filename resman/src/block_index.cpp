#include "block_index.h"

#include <algorithm>

namespace morvick {

namespace {

uintptr_t firstAddress(ResourceBlock* block) { return reinterpret_cast<uintptr_t>(block->entries()); }

int32_t height(ResourceBlock* node) { return node ? node->indexHeight : 0; }

void update(ResourceBlock* node) {
  node->indexHeight = 1 + std::max(height(node->indexLeft), height(node->indexRight));
}

ResourceBlock* rotateRight(ResourceBlock* node) {
  ResourceBlock* left = node->indexLeft;
  node->indexLeft = left->indexRight;
  left->indexRight = node;
  update(node);
  update(left);
  return left;
}

ResourceBlock* rotateLeft(ResourceBlock* node) {
  ResourceBlock* right = node->indexRight;
  node->indexRight = right->indexLeft;
  right->indexLeft = node;
  update(node);
  update(right);
  return right;
}

ResourceBlock* rebalance(ResourceBlock* node) {
  update(node);
  int32_t balance = height(node->indexLeft) - height(node->indexRight);
  if (balance > 1) {
    if (height(node->indexLeft->indexLeft) < height(node->indexLeft->indexRight)) {
      node->indexLeft = rotateLeft(node->indexLeft);
    }
    return rotateRight(node);
  }
  if (balance < -1) {
    if (height(node->indexRight->indexRight) < height(node->indexRight->indexLeft)) {
      node->indexRight = rotateRight(node->indexRight);
    }
    return rotateLeft(node);
  }
  return node;
}

ResourceBlock* insertInto(ResourceBlock* node, ResourceBlock* block) {
  if (node == nullptr) return block;
  if (firstAddress(block) < firstAddress(node)) {
    node->indexLeft = insertInto(node->indexLeft, block);
  } else {
    node->indexRight = insertInto(node->indexRight, block);
  }
  return rebalance(node);
}

ResourceBlock* removeSmallest(ResourceBlock* node, ResourceBlock** smallest) {
  if (node->indexLeft == nullptr) {
    *smallest = node;
    return node->indexRight;
  }
  node->indexLeft = removeSmallest(node->indexLeft, smallest);
  return rebalance(node);
}

ResourceBlock* eraseFrom(ResourceBlock* node, ResourceBlock* block) {
  if (node == nullptr) return nullptr;
  if (node != block) {
    if (firstAddress(block) < firstAddress(node)) {
      node->indexLeft = eraseFrom(node->indexLeft, block);
    } else {
      node->indexRight = eraseFrom(node->indexRight, block);
    }
    return rebalance(node);
  }
  if (node->indexLeft == nullptr) return node->indexRight;
  if (node->indexRight == nullptr) return node->indexLeft;
  ResourceBlock* successor = nullptr;
  ResourceBlock* right = removeSmallest(node->indexRight, &successor);
  successor->indexLeft = node->indexLeft;
  successor->indexRight = right;
  return rebalance(successor);
}

}  // namespace

void BlockIndex::insert(ResourceBlock* block) {
  block->indexLeft = block->indexRight = nullptr;
  block->indexHeight = 1;
  root_ = insertInto(root_, block);
}

void BlockIndex::erase(ResourceBlock* block) { root_ = eraseFrom(root_, block); }

}  // namespace morvick
