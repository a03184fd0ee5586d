#pragma once
// The plug-in's data archive: a tree of typed nodes with optional blobs, kept
// in one append-friendly file of sections (blobs, tree, tree offset, checksum).
// Changes are made in memory and written in batches: an incremental section at
// every 100th change, a rewrite of the whole file at every 800th and at Close.
// Blobs are read from the file only when asked for.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/archive/archive_file.h"
#include "plugin/archive/archive_nodes.h"

// One node. Owned by its Archive; a pointer stays valid until the node (or an
// ancestor) is removed or the archive is closed. Fields are changed only by the
// archive, under its lock.
class ArchiveNode {
 public:
  uint32_t Type() const { return type; }
  uint32_t DataLength() const { return dataLength; }
  ArchiveNode* Parent() const { return parent; }
  uint32_t ChildCount() const { return childCount; }

 private:
  friend class Archive;
  friend struct ArchiveTreeAccess;

  enum : uint32_t { kInMemory = 1, kChanged = 2 };

  uint32_t dataLength = 0;
  uint32_t type = 0;
  uint32_t magic = kArchiveNodeMagic;
  uint32_t flags = 0;
  uint32_t dataOffset = 0;
  uint32_t childCount = 0;
  // Children in insertion order, as an intrusive list: unlinking and walking
  // on from a known child are both constant time.
  ArchiveNode* firstChild = nullptr;
  ArchiveNode* lastChild = nullptr;
  ArchiveNode* next = nullptr;
  ArchiveNode* prev = nullptr;
  ArchiveNode* parent = nullptr;
  std::unique_ptr<uint8_t[]> data;
};

// What Open found, for the log and for tests.
enum class ArchiveOpenResult {
  Loaded,         // the latest section holds
  Recovered,      // the latest section was damaged; an earlier one was loaded and the file cut back
  AdoptedTemp,    // the archive was missing and a complete ".temp" from a full save took its place
  New,            // no file: a new archive
  MovedAside,     // no section held: the folder's files went to the backup folder; a new archive
  Unreadable,     // the file could not be read; a new archive, the file is left alone
};

class Archive {
 public:
  // The file system must outlive the archive.
  explicit Archive(ArchiveFileSystem& fileSystem);
  ~Archive();  // frees the tree without saving; call Close to save
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // path = folder + fileName (folder ends with its separator); the backup
  // folder is folder + backupSubfolder. Loads the file or starts a new archive.
  ArchiveOpenResult Open(const std::string& folder, const std::string& backupSubfolder,
                         const std::string& fileName);
  // First valid child of parent (the root when null) of the given type (any
  // when 0), after the child `after` when given.
  ArchiveNode* Find(ArchiveNode* parent, ArchiveNode* after, uint32_t type);
  // First child of that type whose blob equals data (loads blobs as needed).
  ArchiveNode* FindWithData(ArchiveNode* parent, uint32_t type, uint32_t length, const void* data);
  // If *inoutLength < dataLength: stores dataLength there and returns false.
  // Otherwise copies the blob (loading it if needed) and leaves *inoutLength.
  // Also false for a node whose blob cannot be had (it is then absent).
  bool Read(ArchiveNode* node, uint32_t* inoutLength, void* buffer);
  // Appends a new child with a copy of the data; counts one change. Null when
  // the archive is not open.
  ArchiveNode* Add(ArchiveNode* parent, uint32_t type, uint32_t length = 0, const void* data = nullptr);
  // Replaces the blob (length 0 removes it); counts one change.
  bool Set(ArchiveNode* node, uint32_t length, const void* data);
  // Unlinks and frees the node and its subtree; reaches the file with the next save.
  void Remove(ArchiveNode* node);
  // The user node (type 4) whose data is the user name with its NUL; added when missing.
  ArchiveNode* FindOrAddUser();
  // A full save, then the tree is freed. Safe to call twice.
  void Close();

  // Typed helpers over Read/Add/Set. The readers return false for a missing
  // node or one whose blob is not of the form its type needs (the caller logs
  // "Corrupt DB" and treats the entry as absent).
  bool ReadU32(ArchiveNode* node, uint32_t& value);
  bool ReadU64(ArchiveNode* node, uint64_t& value);
  bool ReadText(ArchiveNode* node, std::string& text);  // without the NUL
  ArchiveNode* AddU32(ArchiveNode* parent, uint32_t type, uint32_t value);
  ArchiveNode* AddU64(ArchiveNode* parent, uint32_t type, uint64_t value);
  ArchiveNode* AddText(ArchiveNode* parent, uint32_t type, const std::string& text);
  bool SetU32(ArchiveNode* node, uint32_t value);
  bool SetU64(ArchiveNode* node, uint64_t value);
  ArchiveNode* FindText(ArchiveNode* parent, uint32_t type, const std::string& text);
  // The first child of that type, read as u32 (false when absent or malformed).
  bool FindU32(ArchiveNode* parent, uint32_t type, uint32_t& value);

  // The root, or null when not open.
  ArchiveNode* Root();
  bool IsOpen();
  const std::string& Path() const { return path_; }
  // The name FindOrAddUser looks for, as the system's user-name query gives it (without NUL).
  void SetUserName(const std::string& name);
  // Called with "Bad find1"/"Bad find2" when a folder listing fails while the
  // folder is moved aside (the Windows layer shows a message box).
  void SetAlertHandler(std::function<void(const std::string&)> handler);

  // Saves now; false when nothing was written (the file is as it was and the
  // changes wait for the next save).
  bool SaveIncremental();
  bool SaveFull();
  uint32_t ChangeCount();
  // Test seam: the largest single write a save issues (default 64 KiB).
  void SetWriteChunk(size_t bytes);

  // The archive's lock, for a caller that needs several operations as one.
  // It is the LAST lock in the plug-in's lock order ("handle list, then queue,
  // then search, then image, then cache, then archive"): the archive never
  // calls out of itself (no notification, no other part's lock) while holding
  // it; only the logger, whose own lock is taken last and alone, is written to.
  std::recursive_mutex& Lock() { return lock_; }

 private:
  struct Section;
  struct PlannedBlob;
  friend struct ArchiveTreeAccess;

  void CountChange();
  void FreeTree();
  void StartNew();
  bool EnsureBlob(ArchiveNode* node);
  bool BlobIsValid(ArchiveNode* node);
  void MarkAbsent(ArchiveNode* node);
  static void Unlink(ArchiveNode* node);
  static void Append(ArchiveNode* parent, ArchiveNode* child);
  void MoveFolderAside();
  void Alert(const std::string& text);

  std::recursive_mutex lock_;
  ArchiveFileSystem& fs_;
  std::string folder_;
  std::string backupFolder_;
  std::string path_;
  std::string userName_;
  std::function<void(const std::string&)> alert_;
  ArchiveNode* root_ = nullptr;
  uint32_t changes_ = 0;
  size_t writeChunk_ = 64 * 1024;
  // What this archive knows the file to be: its length and the CRC's running
  // value over all of it, so an incremental save need not reread the file.
  uint64_t fileLength_ = 0;
  uint32_t fileCrcRunning_ = 0xFFFFFFFFu;
  bool fileKnown_ = false;
};
