// Saves. A save writes a whole section and flushes it before any node learns
// its new blob offset, so a failed or cut-short save leaves the file as it was
// (cut back to its old length, or the old file kept) and the in-memory tree
// still describing it; the changes then wait for the next save.
#include <algorithm>
#include <cstring>
#include <limits>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_crc.h"
#include "plugin/archive/archive_tree.h"

using Tree = ArchiveTreeAccess;

namespace {
// Appends to a file in chunks, keeping the checksum's running value and the
// file offset; remembers the first failure.
class SectionWriter {
 public:
  SectionWriter(ArchiveFile& file, size_t chunk, uint64_t start, uint32_t crcRunning)
      : file_(file), chunk_(chunk), offset_(start) {
    crc_.SetRunning(crcRunning);
  }
  void Put(const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    crc_.Update(bytes, length);
    offset_ += length;
    buffer_.insert(buffer_.end(), bytes, bytes + length);
    if (buffer_.size() >= chunk_) Drain(false);
  }
  void PutU32(uint32_t value) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    Put(bytes, 4);
  }
  // Writes what is buffered and flushes the file; false if any write failed.
  bool Finish() {
    Drain(true);
    if (ok_ && !file_.Flush()) ok_ = false;
    return ok_;
  }
  uint64_t Offset() const { return offset_; }
  const ArchiveCrc& Crc() const { return crc_; }

 private:
  void Drain(bool all) {
    size_t done = 0;
    while (ok_ && buffer_.size() - done >= (all ? 1 : chunk_)) {
      size_t n = std::min(chunk_, buffer_.size() - done);
      if (!file_.Append(buffer_.data() + done, n)) ok_ = false;
      done += n;
    }
    if (!ok_) done = buffer_.size();
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
  }

  ArchiveFile& file_;
  size_t chunk_;
  uint64_t offset_;
  ArchiveCrc crc_;
  std::vector<uint8_t> buffer_;
  bool ok_ = true;
};

// Reads the old file through a 1 MiB window: a full save copies blobs that a
// previous save wrote in the same order, so nearly every read is a copy from
// memory instead of a system call.
class WindowReader {
 public:
  explicit WindowReader(ArchiveFile* file) : file_(file) {
    if (file_ && !file_->Size(size_)) file_ = nullptr;
  }
  bool Read(uint64_t offset, uint8_t* out, size_t length) {
    if (!file_ || offset > size_ || length > size_ - offset) return false;
    if (offset < start_ || offset + length > start_ + window_.size()) {
      if (length >= kWindow) return file_->ReadAt(offset, out, length);
      window_.resize(static_cast<size_t>(std::min<uint64_t>(kWindow, size_ - offset)));
      if (!file_->ReadAt(offset, window_.data(), window_.size())) {
        window_.clear();
        return false;
      }
      start_ = offset;
    }
    std::memcpy(out, window_.data() + (offset - start_), length);
    return true;
  }

 private:
  static constexpr size_t kWindow = 1 << 20;
  ArchiveFile* file_;
  uint64_t size_ = 0;
  uint64_t start_ = 0;
  std::vector<uint8_t> window_;
};

constexpr uint64_t kMaxFileLength = std::numeric_limits<uint32_t>::max();

struct Planned {
  ArchiveNode* node;
  uint32_t offset;
};

// The dataOffset to write for each node: the planned one where there is one
// (plans are made in the same pre-order the tree is written in).
struct PlannedOffsets {
  const std::vector<Planned>& plans;
  size_t next = 0;
  uint32_t operator()(ArchiveNode* node) {
    if (next < plans.size() && plans[next].node == node) return plans[next++].offset;
    return Tree::DataOffset(node);
  }
};

// Finishes a section: tree, tree offset and checksum. False when the section
// would not fit the format's 32-bit offsets.
bool PutTreeAndTail(SectionWriter& writer, ArchiveNode* root, const std::vector<Planned>& plans) {
  std::vector<uint8_t> tree;
  WriteArchiveTree(root, tree, PlannedOffsets{plans});
  uint64_t treeOffset = writer.Offset();
  if (treeOffset + tree.size() + 8 > kMaxFileLength) return false;
  writer.Put(tree.data(), tree.size());
  writer.PutU32(static_cast<uint32_t>(treeOffset));
  writer.PutU32(writer.Crc().Value());
  return true;
}
}  // namespace

bool Archive::SaveIncremental() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return false;
  std::unique_ptr<ArchiveFile> file = fs_.Open(path_, ArchiveOpenMode::ReadWrite);
  if (!file) return false;
  uint64_t oldLength = 0;
  if (!file->Size(oldLength)) return false;
  uint32_t crcRunning = fileCrcRunning_;
  if (!fileKnown_ || oldLength != fileLength_) {
    // The file is not the one this archive last wrote or read: checksum it again.
    ArchiveCrc crc;
    std::vector<uint8_t> chunk(1 << 20);
    for (uint64_t at = 0; at < oldLength;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), oldLength - at));
      if (!file->ReadAt(at, chunk.data(), n)) return false;
      crc.Update(chunk.data(), n);
      at += n;
    }
    crcRunning = crc.Running();
  }

  std::vector<Planned> plans;
  uint64_t blobBytes = 0;
  ForEachLiveNode(root_, [&](ArchiveNode* node) {
    if (node->dataLength != 0 && (node->flags & ArchiveNode::kChanged)) {
      plans.push_back({node, static_cast<uint32_t>(oldLength + blobBytes)});
      blobBytes += node->dataLength;
    }
  });
  if (oldLength + blobBytes > kMaxFileLength) return false;

  SectionWriter writer(*file, writeChunk_, oldLength, crcRunning);
  for (const Planned& plan : plans) writer.Put(plan.node->data.get(), plan.node->dataLength);
  bool ok = PutTreeAndTail(writer, root_, plans) && writer.Finish();
  if (!ok) {
    // Cut the half-written section away, so the file again ends with its last good checksum.
    if (file->Truncate(oldLength) && file->Flush()) {
      fileLength_ = oldLength;
      fileCrcRunning_ = crcRunning;
      fileKnown_ = true;
    } else {
      fileKnown_ = false;
    }
    return false;
  }
  for (const Planned& plan : plans) {
    plan.node->dataOffset = plan.offset;
    plan.node->flags &= ~uint32_t{ArchiveNode::kChanged};
  }
  fileLength_ = writer.Offset();
  fileCrcRunning_ = writer.Crc().Running();
  fileKnown_ = true;
  return true;
}

bool Archive::SaveFull() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!root_) return false;
  const std::string temp = path_ + ".temp";
  std::unique_ptr<ArchiveFile> old = fs_.Open(path_, ArchiveOpenMode::Read);
  std::unique_ptr<ArchiveFile> out = fs_.Open(temp, ArchiveOpenMode::Create);
  if (!out) return false;

  std::vector<Planned> plans;
  SectionWriter writer(*out, writeChunk_, 0, 0xFFFFFFFFu);
  std::vector<uint8_t> copy;
  WindowReader reader(old.get());
  bool ok = true;
  ForEachLiveNode(root_, [&](ArchiveNode* node) {
    if (!ok || node->dataLength == 0) return;
    if (writer.Offset() + node->dataLength > kMaxFileLength) {
      ok = false;
      return;
    }
    plans.push_back({node, static_cast<uint32_t>(writer.Offset())});
    if (node->flags & ArchiveNode::kInMemory) {
      writer.Put(node->data.get(), node->dataLength);
      return;
    }
    // A blob that cannot be copied from the old file stops the save: the old
    // file stays, with the blob in it.
    copy.resize(node->dataLength);
    if (!reader.Read(node->dataOffset, copy.data(), copy.size())) {
      ok = false;
      return;
    }
    writer.Put(copy.data(), copy.size());
  });
  ok = ok && PutTreeAndTail(writer, root_, plans) && writer.Finish();
  out.reset();
  old.reset();
  if (!ok || !fs_.Replace(temp, path_)) {
    fs_.Delete(temp);
    return false;
  }
  for (const Planned& plan : plans) {
    plan.node->dataOffset = plan.offset;
    plan.node->flags &= ~uint32_t{ArchiveNode::kChanged};
  }
  fileLength_ = writer.Offset();
  fileCrcRunning_ = writer.Crc().Running();
  fileKnown_ = true;
  return true;
}
