#include "imagelist/playlist.h"

#include <limits>
#include <utility>

#include "imagelist/extensions.h"
#include "imagelist/file_system.h"
#include "imagelist/file_util.h"

namespace {
// Entries are counted in 32 bits; anything past that is not added.
constexpr size_t kMaxEntries = static_cast<size_t>(std::numeric_limits<int32_t>::max());
}  // namespace

bool Playlist::Load(std::string_view name) {
  if (!path_.empty()) Clear();
  if (name.empty()) {
    lastError_ = kErrorNoName;
    return false;
  }
  std::string full;
  if (!GetFullPath(std::string(name), kMaxLoadPath, full)) {
    lastError_ = kErrorFullPath;
    return false;
  }
  path_ = full;
  folder_ = std::string(PathFolder(path_));

  switch (ReadTextFile(path_, kMaxListFileBytes, text_)) {
    case ReadResult::kOk: break;
    case ReadResult::kTooLarge:
      text_.clear();
      lastError_ = kErrorTooLarge;
      return false;
    default:
      text_.clear();
      lastError_ = kErrorOpen;
      return false;
  }
  // The readers see the text as the C string it is in the file: up to the first NUL.
  std::string_view text = text_;
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  format_ = FormatForExtension(PathExtension(path_));
  std::vector<std::string> found;
  ReadPlaylistText(format_, text, folder_, found);
  if (entries_.empty()) {
    entries_ = std::move(found);
    if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
  } else {
    AddEntries(found);
  }
  return true;
}

bool Playlist::Save(std::string_view name, int32_t format) const {
  if (entries_.empty() || name.empty()) return false;
  // A bare file name lands in the current folder; any other name (rooted,
  // network, drive-relative) is resolved as it stands.
  std::string full;
  if (!GetFullPath(std::string(name), kMaxSavePath, full)) return false;
  if (format != kFormatPLS) return false;
  return WriteFileReplacing(full, FormatPls(entries_));
}

void Playlist::Clear() {
  text_.clear();
  text_.shrink_to_fit();
  entries_.clear();
  entries_.shrink_to_fit();
  lastError_ = kErrorNone;
  format_ = kFormatNone;
  path_.clear();
  folder_.clear();
}

const std::string* Playlist::GetEntry(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return nullptr;
  return &entries_[static_cast<size_t>(index)];
}

void Playlist::AddEntries(const char* const* paths, int32_t n) {
  if (!paths || n <= 0) return;
  for (int32_t i = 0; i < n && entries_.size() < kMaxEntries; ++i)
    if (paths[i]) entries_.emplace_back(paths[i]);
}

void Playlist::AddEntries(const std::vector<std::string>& paths) {
  for (const std::string& p : paths) {
    if (entries_.size() >= kMaxEntries) break;
    entries_.push_back(p);
  }
}

void Playlist::Shuffle(int32_t seed, int32_t passes) {
  const size_t count = entries_.size();
  if (count == 0) return;
  ShuffleRandom random(static_cast<uint32_t>(seed));
  for (int32_t pass = 0; pass < passes; ++pass) {
    for (size_t i = 0; i < count; ++i) {
      const size_t j = static_cast<size_t>(random.Next()) % count;
      std::swap(entries_[i], entries_[j]);
    }
  }
}
