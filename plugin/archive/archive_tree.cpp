#include "plugin/archive/archive_tree.h"

ArchiveNode* ArchiveTreeAccess::NewNode(uint32_t type, uint32_t dataLength, uint32_t dataOffset) {
  auto* node = new ArchiveNode;
  node->type = type;
  node->dataLength = dataLength;
  node->dataOffset = dataOffset;
  return node;
}

void ArchiveTreeAccess::Append(ArchiveNode* parent, ArchiveNode* child) {
  child->parent = parent;
  child->prev = parent->lastChild;
  child->next = nullptr;
  if (parent->lastChild)
    parent->lastChild->next = child;
  else
    parent->firstChild = child;
  parent->lastChild = child;
  ++parent->childCount;
}

void ArchiveTreeAccess::Unlink(ArchiveNode* node) {
  ArchiveNode* parent = node->parent;
  if (!parent) return;
  (node->prev ? node->prev->next : parent->firstChild) = node->next;
  (node->next ? node->next->prev : parent->lastChild) = node->prev;
  --parent->childCount;
  node->parent = node->prev = node->next = nullptr;
}

void ArchiveTreeAccess::FreeSubtree(ArchiveNode* node) {
  if (!node) return;
  Unlink(node);
  std::vector<ArchiveNode*> stack{node};
  while (!stack.empty()) {
    ArchiveNode* n = stack.back();
    stack.pop_back();
    for (ArchiveNode* c = n->firstChild; c; c = c->next) stack.push_back(c);
    delete n;
  }
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

namespace {
struct Header {
  uint32_t type, magic, childCount, dataLength, dataOffset;
};

Header ReadHeader(const uint8_t* p) {
  return {GetU32(p), GetU32(p + 4), GetU32(p + 8), GetU32(p + 12), GetU32(p + 16)};
}

bool FitsItsForm(const Header& h, uint64_t treeOffset) {
  switch (ArchiveDataFormOf(h.type)) {
    case ArchiveDataForm::U32: if (h.dataLength != 4) return false; break;
    case ArchiveDataForm::U64: if (h.dataLength != 8) return false; break;
    case ArchiveDataForm::Text: if (h.dataLength == 0) return false; break;
    default: break;
  }
  // A blob lies in this section or an earlier one, never in or past this tree.
  return h.dataLength == 0 || uint64_t{h.dataOffset} + h.dataLength <= treeOffset;
}
}  // namespace

ArchiveNode* ParseArchiveTree(const uint8_t* region, size_t size, uint64_t treeOffset, size_t* dropped) {
  if (size < kNodeHeaderSize) return nullptr;
  Header rootHeader = ReadHeader(region);
  if (rootHeader.magic != kArchiveNodeMagic) return nullptr;
  // The root carries no data.
  ArchiveNode* root = ArchiveTreeAccess::NewNode(rootHeader.type, 0, kNoDataOffset);

  struct Frame {
    ArchiveNode* node;  // null inside a subtree that is left out
    uint32_t remaining;
  };
  std::vector<Frame> stack{{root, rootHeader.childCount}};
  size_t pos = kNodeHeaderSize;
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.remaining == 0) {
      stack.pop_back();
      continue;
    }
    --top.remaining;
    // A header past the region ends the tree: what follows it is absent.
    if (size - pos < kNodeHeaderSize) {
      if (dropped) ++*dropped;
      break;
    }
    Header h = ReadHeader(region + pos);
    pos += kNodeHeaderSize;
    ArchiveNode* parent = top.node;
    ArchiveNode* node = nullptr;
    if (parent && h.magic == kArchiveNodeMagic && FitsItsForm(h, treeOffset)) {
      node = ArchiveTreeAccess::NewNode(h.type, h.dataLength, h.dataOffset);
      ArchiveTreeAccess::Append(parent, node);
    } else if (dropped) {
      ++*dropped;
    }
    stack.push_back({node, h.childCount});  // may invalidate top
  }
  return root;
}
