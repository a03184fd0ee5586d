// Opening: the latest section if its checksum holds, else the last earlier
// section that holds (the file is cut back to it), else the folder's files are
// moved aside into the backup folder and a new archive starts.
#include <algorithm>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_scan.h"
#include "plugin/archive/archive_tree.h"
#include "support/log/log.h"

using Tree = ArchiveTreeAccess;

namespace {
ArchiveNode* LoadSection(ArchiveFile& file, const ArchiveSectionEnd& section) {
  const uint64_t treeEnd = section.end - 8;
  std::vector<uint8_t> region(static_cast<size_t>(treeEnd - section.treeOffset));
  if (!file.ReadAt(section.treeOffset, region.data(), region.size())) return nullptr;
  size_t dropped = 0;
  ArchiveNode* root = ParseArchiveTree(region.data(), region.size(), section.treeOffset, &dropped);
  if (root && dropped) SF_LOG(kLogError, "Corrupt DB");
  return root;
}

// A file whose last section holds and whose tree has a root.
bool IsComplete(ArchiveFileSystem& fs, const std::string& path) {
  std::unique_ptr<ArchiveFile> file = fs.Open(path, ArchiveOpenMode::Read);
  uint64_t size = 0;
  ArchiveSectionEnd last;
  if (!file || !file->Size(size) || !CheckLastSection(*file, size, last)) return false;
  ArchiveNode* root = LoadSection(*file, last);
  Tree::FreeSubtree(root);
  return root != nullptr;
}
}  // namespace

ArchiveOpenResult Archive::Open(const std::string& folder, const std::string& backupSubfolder,
                                const std::string& fileName) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  FreeTree();
  folder_ = folder;
  backupFolder_ = folder + backupSubfolder;
  path_ = folder + fileName;
  changes_ = 0;
  fileKnown_ = false;
  fileLength_ = 0;
  fileCrcRunning_ = 0xFFFFFFFFu;

  ArchiveOpenResult adopted = ArchiveOpenResult::Loaded;
  const std::string temp = path_ + ".temp";
  if (!fs_.Exists(path_)) {
    // A full save that was cut off between its flush and its replace leaves a
    // complete temporary file and no archive.
    if (fs_.Exists(temp) && IsComplete(fs_, temp) && fs_.Replace(temp, path_)) {
      adopted = ArchiveOpenResult::AdoptedTemp;
    } else {
      fs_.Delete(temp);
      StartNew();
      return ArchiveOpenResult::New;
    }
  } else if (fs_.Exists(temp)) {
    // A full save that did not finish: the archive itself is the good state.
    fs_.Delete(temp);
  }

  std::unique_ptr<ArchiveFile> file = fs_.Open(path_, ArchiveOpenMode::Read);
  uint64_t size = 0;
  if (!file || !file->Size(size)) {
    StartNew();
    return ArchiveOpenResult::Unreadable;
  }
  ArchiveSectionEnd last;
  if (CheckLastSection(*file, size, last)) {
    if ((root_ = LoadSection(*file, last)) != nullptr) {
      fileLength_ = size;
      fileCrcRunning_ = last.crcRunning;
      fileKnown_ = true;
      if (!Find(root_, nullptr, kNodeSettings)) Add(root_, kNodeSettings);
      return adopted;
    }
  }

  std::vector<ArchiveSectionEnd> sections;
  if (!ScanSections(*file, size, sections)) {
    StartNew();
    return ArchiveOpenResult::Unreadable;
  }
  for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
    if (it->end == size) continue;  // the latest section, already refused
    if ((root_ = LoadSection(*file, *it)) == nullptr) continue;
    file.reset();
    SF_LOG(kLogError, "Data archive damaged: back to its last good save");
    // Cut the damaged tail away, so the next incremental save appends to a
    // file that ends with a good checksum.
    std::unique_ptr<ArchiveFile> rw = fs_.Open(path_, ArchiveOpenMode::ReadWrite);
    if (rw && rw->Truncate(it->end) && rw->Flush()) {
      fileLength_ = it->end;
      fileCrcRunning_ = it->crcRunning;
      fileKnown_ = true;
    }
    if (!Find(root_, nullptr, kNodeSettings)) Add(root_, kNodeSettings);
    return ArchiveOpenResult::Recovered;
  }
  file.reset();
  SF_LOG(kLogError, "Data archive damaged: moving its folder to the backup folder");
  MoveFolderAside();
  StartNew();
  return ArchiveOpenResult::MovedAside;
}

void Archive::MoveFolderAside() {
  std::vector<std::string> names;
  if (!fs_.ListFiles(backupFolder_, names)) Alert("Bad find1");
  if (names.empty()) {
    fs_.CreateFolder(backupFolder_);
  } else {
    for (const std::string& name : names) fs_.Delete(backupFolder_ + name);
  }
  names.clear();
  if (!fs_.ListFiles(folder_, names)) Alert("Bad find2");
  for (const std::string& name : names) fs_.Move(folder_ + name, backupFolder_ + name);
}
