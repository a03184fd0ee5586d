#pragma once
// Inside the archive: building, walking and freeing node trees, and the
// on-disk node header. Not for the archive's users.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/archive/archive.h"

constexpr size_t kNodeHeaderSize = 20;
constexpr uint32_t kNoDataOffset = 0xFFFFFFFFu;

struct ArchiveTreeAccess {
  static ArchiveNode* NewNode(uint32_t type, uint32_t dataLength, uint32_t dataOffset);
  static void Append(ArchiveNode* parent, ArchiveNode* child);
  static void Unlink(ArchiveNode* node);
  // Without recursion: a hostile file can make a tree as deep as it is long.
  static void FreeSubtree(ArchiveNode* node);
  static bool IsLive(const ArchiveNode* node) { return node->magic == kArchiveNodeMagic; }
  static ArchiveNode* FirstChild(ArchiveNode* node) { return node->firstChild; }
  static ArchiveNode* Next(ArchiveNode* node) { return node->next; }
  static uint32_t& Flags(ArchiveNode* node) { return node->flags; }
  static uint32_t& DataOffset(ArchiveNode* node) { return node->dataOffset; }
  static const uint8_t* Data(const ArchiveNode* node) { return node->data.get(); }
  static uint32_t Type(const ArchiveNode* node) { return node->type; }
  static uint32_t DataLength(const ArchiveNode* node) { return node->dataLength; }
  static void DropData(ArchiveNode* node) { node->data.reset(); node->flags &= ~uint32_t{ArchiveNode::kInMemory}; }
  static constexpr uint32_t kInMemory = ArchiveNode::kInMemory;
  static constexpr uint32_t kChanged = ArchiveNode::kChanged;
};

// Calls visit(node) for every live node in pre-order (children in list order),
// skipping the subtrees of absent nodes. Without recursion.
template <typename Visit>
void ForEachLiveNode(ArchiveNode* root, Visit&& visit) {
  if (!root || !ArchiveTreeAccess::IsLive(root)) return;
  std::vector<ArchiveNode*> stack{root};
  while (!stack.empty()) {
    ArchiveNode* node = stack.back();
    stack.pop_back();
    visit(node);
    // Push children last-first so the first child is visited next.
    size_t mark = stack.size();
    for (ArchiveNode* c = ArchiveTreeAccess::FirstChild(node); c; c = ArchiveTreeAccess::Next(c))
      if (ArchiveTreeAccess::IsLive(c)) stack.push_back(c);
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
  }
}

// Builds the tree whose headers fill region (a section's tree, which begins at
// file offset treeOffset). Null when the root header is missing or not a node.
// Every other node that breaks the format (outside the region, no magic, a
// blob reaching into or past the tree, a number not 4 or 8 bytes, an empty
// text) is left out with its subtree. No blob is read.
// dropped, when given, counts the headers left out.
ArchiveNode* ParseArchiveTree(const uint8_t* region, size_t size, uint64_t treeOffset,
                              size_t* dropped = nullptr);

// Appends the headers of every live node, pre-order. offsetOf(node) gives the
// dataOffset to write (a save writes offsets it has planned, not yet applied).
template <typename OffsetOf>
void WriteArchiveTree(ArchiveNode* root, std::vector<uint8_t>& out, OffsetOf&& offsetOf);

void PutU32(std::vector<uint8_t>& out, uint32_t value);
uint32_t GetU32(const uint8_t* p);

template <typename OffsetOf>
void WriteArchiveTree(ArchiveNode* root, std::vector<uint8_t>& out, OffsetOf&& offsetOf) {
  ForEachLiveNode(root, [&](ArchiveNode* node) {
    uint32_t live = 0;
    for (ArchiveNode* c = ArchiveTreeAccess::FirstChild(node); c; c = ArchiveTreeAccess::Next(c))
      if (ArchiveTreeAccess::IsLive(c)) ++live;
    PutU32(out, ArchiveTreeAccess::Type(node));
    PutU32(out, kArchiveNodeMagic);
    PutU32(out, live);
    PutU32(out, ArchiveTreeAccess::DataLength(node));
    PutU32(out, offsetOf(node));
  });
}
