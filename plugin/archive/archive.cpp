// Node operations of the archive; loading is in archive_load.cpp, saving in archive_save.cpp.
#include "plugin/archive/archive.h"

#include <cstring>

#include "plugin/archive/archive_tree.h"
#include "support/log/log.h"

using Tree = ArchiveTreeAccess;

Archive::Archive(ArchiveFileSystem& fileSystem) : fs_(fileSystem) {}

Archive::~Archive() { FreeTree(); }

void Archive::FreeTree() {
  Tree::FreeSubtree(root_);
  root_ = nullptr;
}

void Archive::StartNew() {
  FreeTree();
  root_ = Tree::NewNode(kNodeRoot, 0, kNoDataOffset);
  Add(root_, kNodeSettings);
}

ArchiveNode* Archive::Root() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return root_;
}

bool Archive::IsOpen() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return root_ != nullptr;
}

uint32_t Archive::ChangeCount() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return changes_;
}

void Archive::SetWriteChunk(size_t bytes) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  writeChunk_ = bytes ? bytes : 1;
}

void Archive::SetUserName(const std::string& name) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  userName_ = name;
}

void Archive::SetAlertHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  alert_ = std::move(handler);
}

void Archive::Alert(const std::string& text) {
  if (alert_) alert_(text);
}

void Archive::MarkAbsent(ArchiveNode* node) { node->magic = 0; }

bool Archive::EnsureBlob(ArchiveNode* node) {
  if (!Tree::IsLive(node)) return false;
  if (node->dataLength == 0 || (node->flags & ArchiveNode::kInMemory)) return true;
  std::unique_ptr<ArchiveFile> file = fs_.Open(path_, ArchiveOpenMode::Read);
  if (!file) return false;
  auto data = std::make_unique<uint8_t[]>(node->dataLength);
  if (!file->ReadAt(node->dataOffset, data.get(), node->dataLength)) return false;
  node->data = std::move(data);
  node->flags |= ArchiveNode::kInMemory;
  if (!BlobIsValid(node)) {
    SF_LOG(kLogError, "Corrupt DB");
    MarkAbsent(node);
    return false;
  }
  return true;
}

bool Archive::BlobIsValid(ArchiveNode* node) {
  if (ArchiveDataFormOf(node->type) == ArchiveDataForm::Text)
    return node->dataLength > 0 && node->data && node->data[node->dataLength - 1] == 0;
  return true;
}

ArchiveNode* Archive::Find(ArchiveNode* parent, ArchiveNode* after, uint32_t type) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return nullptr;
  if (!parent) parent = root_;
  ArchiveNode* node = parent->firstChild;
  if (after) {
    if (after->parent != parent) return nullptr;
    node = after->next;
  }
  for (; node; node = node->next)
    if (Tree::IsLive(node) && (type == 0 || node->type == type)) return node;
  return nullptr;
}

ArchiveNode* Archive::FindWithData(ArchiveNode* parent, uint32_t type, uint32_t length, const void* data) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (ArchiveNode* node = Find(parent, nullptr, type); node; node = Find(parent, node, type)) {
    if (node->dataLength != length) continue;
    if (length == 0) return node;
    if (!EnsureBlob(node)) continue;
    if (std::memcmp(node->data.get(), data, length) == 0) return node;
  }
  return nullptr;
}

bool Archive::Read(ArchiveNode* node, uint32_t* inoutLength, void* buffer) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!node || !inoutLength || !Tree::IsLive(node)) return false;
  if (*inoutLength < node->dataLength) {
    *inoutLength = node->dataLength;
    return false;
  }
  if (node->dataLength == 0) return true;
  if (!buffer || !EnsureBlob(node)) return false;
  std::memcpy(buffer, node->data.get(), node->dataLength);
  return true;
}

ArchiveNode* Archive::Add(ArchiveNode* parent, uint32_t type, uint32_t length, const void* data) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return nullptr;
  if (!parent) parent = root_;
  if (length != 0 && !data) return nullptr;
  ArchiveNode* node = Tree::NewNode(type, length, 0);
  if (length != 0) {
    node->data = std::make_unique<uint8_t[]>(length);
    std::memcpy(node->data.get(), data, length);
    node->flags = ArchiveNode::kInMemory | ArchiveNode::kChanged;
  }
  Tree::Append(parent, node);
  CountChange();
  return node;
}

bool Archive::Set(ArchiveNode* node, uint32_t length, const void* data) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_ || !node || node == root_ || !Tree::IsLive(node)) return false;
  if (length != 0 && !data) return false;
  if (length == 0) {
    node->data.reset();
    node->dataLength = 0;
    node->dataOffset = kNoDataOffset;
    node->flags = 0;
  } else {
    auto copy = std::make_unique<uint8_t[]>(length);
    std::memcpy(copy.get(), data, length);
    node->data = std::move(copy);
    node->dataLength = length;
    node->flags = ArchiveNode::kInMemory | ArchiveNode::kChanged;
  }
  CountChange();
  return true;
}

void Archive::Remove(ArchiveNode* node) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_ || !node || node == root_ || !node->parent) return;
  Tree::FreeSubtree(node);
}

ArchiveNode* Archive::FindOrAddUser() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return nullptr;
  if (ArchiveNode* user = FindText(root_, kNodeUser, userName_)) return user;
  return AddText(root_, kNodeUser, userName_);
}

void Archive::Close() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return;
  SaveFull();
  FreeTree();
  fileKnown_ = false;
}

void Archive::CountChange() {
  ++changes_;
  if (changes_ % 800 == 0)
    SaveFull();
  else if (changes_ % 100 == 0)
    SaveIncremental();
}

// Typed helpers.

bool Archive::ReadU32(ArchiveNode* node, uint32_t& value) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  uint8_t bytes[4];
  uint32_t length = sizeof bytes;
  if (!node || node->dataLength != 4 || !Read(node, &length, bytes)) return false;
  value = GetU32(bytes);
  return true;
}

bool Archive::ReadU64(ArchiveNode* node, uint64_t& value) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  uint8_t bytes[8];
  uint32_t length = sizeof bytes;
  if (!node || node->dataLength != 8 || !Read(node, &length, bytes)) return false;
  value = uint64_t{GetU32(bytes)} | uint64_t{GetU32(bytes + 4)} << 32;
  return true;
}

bool Archive::ReadText(ArchiveNode* node, std::string& text) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!node || node->dataLength == 0 || !EnsureBlob(node)) return false;
  const char* chars = reinterpret_cast<const char*>(node->data.get());
  if (chars[node->dataLength - 1] != '\0') return false;
  // Text ends at its first NUL, as every C reader of the blob would see it.
  text.assign(chars, std::strlen(chars));
  return true;
}

ArchiveNode* Archive::AddU32(ArchiveNode* parent, uint32_t type, uint32_t value) {
  std::vector<uint8_t> bytes;
  PutU32(bytes, value);
  return Add(parent, type, 4, bytes.data());
}

ArchiveNode* Archive::AddU64(ArchiveNode* parent, uint32_t type, uint64_t value) {
  std::vector<uint8_t> bytes;
  PutU32(bytes, static_cast<uint32_t>(value));
  PutU32(bytes, static_cast<uint32_t>(value >> 32));
  return Add(parent, type, 8, bytes.data());
}

ArchiveNode* Archive::AddText(ArchiveNode* parent, uint32_t type, const std::string& text) {
  return Add(parent, type, static_cast<uint32_t>(text.size() + 1), text.c_str());
}

bool Archive::SetU32(ArchiveNode* node, uint32_t value) {
  std::vector<uint8_t> bytes;
  PutU32(bytes, value);
  return Set(node, 4, bytes.data());
}

bool Archive::SetU64(ArchiveNode* node, uint64_t value) {
  std::vector<uint8_t> bytes;
  PutU32(bytes, static_cast<uint32_t>(value));
  PutU32(bytes, static_cast<uint32_t>(value >> 32));
  return Set(node, 8, bytes.data());
}

ArchiveNode* Archive::FindText(ArchiveNode* parent, uint32_t type, const std::string& text) {
  return FindWithData(parent, type, static_cast<uint32_t>(text.size() + 1), text.c_str());
}

bool Archive::FindU32(ArchiveNode* parent, uint32_t type, uint32_t& value) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  ArchiveNode* node = Find(parent, nullptr, type);
  return node && ReadU32(node, value);
}
