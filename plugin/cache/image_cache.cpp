#include "plugin/cache/image_cache.h"

#include <algorithm>

#include "plugin/archive/archive.h"
#include "plugin/archive/recently_failed_list.h"
#include "support/log/log.h"

namespace {
constexpr char kPrefix[] = "i";
constexpr char kSuffix[] = ".Fetchpix Cache";
}  // namespace

ImageCache::ImageCache(ArchiveFileSystem& fileSystem, Clock clock)
    : fs_(fileSystem), clock_(clock ? clock : &RecentlyFailedList::SystemNow) {}

void ImageCache::Attach(Archive* archive, ArchiveNode* settings, std::string folder, uint32_t nextNumber,
                        uint32_t total) {
  std::lock_guard<std::mutex> hold(lock_);
  archive_ = archive;
  settings_ = settings;
  folder_ = std::move(folder);
  nextNumber_ = nextNumber ? nextNumber : 1;
  total_ = total;
}

std::string ImageCache::FileNameFor(uint32_t number) { return kPrefix + std::to_string(number) + kSuffix; }

bool ImageCache::IsCacheFileName(const std::string& name) {
  const size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
  if (name.size() <= prefix + suffix || name.compare(0, prefix, kPrefix) != 0) return false;
  if (name.compare(name.size() - suffix, suffix, kSuffix) != 0) return false;
  for (size_t i = prefix; i < name.size() - suffix; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

uint32_t ImageCache::Total() {
  std::lock_guard<std::mutex> hold(lock_);
  return total_;
}

uint32_t ImageCache::NextNumber() {
  std::lock_guard<std::mutex> hold(lock_);
  return nextNumber_;
}

void ImageCache::StoreTotal() {
  if (ArchiveNode* node = archive_->Find(settings_, nullptr, kNodeCachedBytes))
    archive_->SetU32(node, total_);
  else
    archive_->AddU32(settings_, kNodeCachedBytes, total_);
}

void ImageCache::StoreNextNumber() {
  if (ArchiveNode* node = archive_->Find(settings_, nullptr, kNodeNextCacheNumber))
    archive_->SetU32(node, nextNumber_);
  else
    archive_->AddU32(settings_, kNodeNextCacheNumber, nextNumber_);
}

ImageCache::WriteOutcome ImageCache::Write(ArchiveNode* result, const std::string& imageFileName,
                                           const std::vector<uint8_t>& bytes, uint32_t budget) {
  WriteOutcome outcome;
  if (!result || bytes.size() > kLargestFile) return outcome;
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_ || !settings_) return outcome;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  // Numbers are never reused, not even after a failed write.
  const uint32_t number = nextNumber_;
  nextNumber_ = nextNumber_ == UINT32_MAX ? 1 : nextNumber_ + 1;
  StoreNextNumber();
  const std::string name = FileNameFor(number);
  const std::string path = folder_ + name;
  {
    std::unique_ptr<ArchiveFile> file = fs_.Open(path, ArchiveOpenMode::Create);
    if (!file) return outcome;
    if (!file->Append(bytes.data(), bytes.size())) {
      file.reset();
      fs_.Delete(path);
      return outcome;
    }
  }
  // One entry per result: an older one goes with its file.
  while (ArchiveNode* old = archive_->Find(result, nullptr, kNodeCacheEntry)) DeleteEntry(old);
  ArchiveNode* entry = archive_->Add(result, kNodeCacheEntry);
  if (!entry) {
    fs_.Delete(path);
    return outcome;
  }
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  archive_->AddU32(entry, kNodeCacheSize, size);
  archive_->AddU64(entry, kNodeCacheTime, clock_());
  archive_->AddText(entry, kNodeImageFileName, imageFileName);
  archive_->AddText(entry, kNodeCacheFileName, name);
  total_ = size > UINT32_MAX - total_ ? UINT32_MAX : total_ + size;
  StoreTotal();
  outcome.written = true;
  outcome.overBudget = total_ > budget;
  return outcome;
}

std::optional<CachedImage> ImageCache::Load(ArchiveNode* result) {
  if (!result) return std::nullopt;
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_) return std::nullopt;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  ArchiveNode* entry = archive_->Find(result, nullptr, kNodeCacheEntry);
  if (!entry) return std::nullopt;
  uint32_t size = 0;
  uint64_t time = 0;
  std::string cacheName, imageName;
  if (!archive_->FindU32(entry, kNodeCacheSize, size) ||
      !archive_->ReadU64(archive_->Find(entry, nullptr, kNodeCacheTime), time) ||
      !archive_->ReadText(archive_->Find(entry, nullptr, kNodeImageFileName), imageName) ||
      !archive_->ReadText(archive_->Find(entry, nullptr, kNodeCacheFileName), cacheName)) {
    SF_LOG(kLogError, "Corrupt DB");
    return std::nullopt;
  }
  if (!IsCacheFileName(cacheName) || size > kLargestFile) return std::nullopt;
  std::unique_ptr<ArchiveFile> file = fs_.Open(folder_ + cacheName, ArchiveOpenMode::Read);
  uint64_t length = 0;
  if (!file || !file->Size(length) || length != size) return std::nullopt;
  CachedImage image;
  image.fileName = std::move(imageName);
  image.bytes.resize(size);
  if (size && !file->ReadAt(0, image.bytes.data(), size)) return std::nullopt;
  return image;
}

void ImageCache::DeleteEntry(ArchiveNode* entry) {
  std::string name;
  if (archive_->ReadText(archive_->Find(entry, nullptr, kNodeCacheFileName), name) && IsCacheFileName(name))
    fs_.Delete(folder_ + name);
  uint32_t size = 0;
  if (archive_->FindU32(entry, kNodeCacheSize, size)) {
    total_ -= std::min(total_, size);
    StoreTotal();
  }
  archive_->Remove(entry);
}

void ImageCache::DeleteEntriesOf(ArchiveNode* result) {
  if (!result) return;
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_) return;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  while (ArchiveNode* entry = archive_->Find(result, nullptr, kNodeCacheEntry)) DeleteEntry(entry);
}

template <typename Visit>
void ImageCache::ForEachEntryOfSearch(ArchiveNode* search, Visit&& visit) {
  for (ArchiveNode* engine = archive_->Find(search, nullptr, kNodeEngine); engine;
       engine = archive_->Find(search, engine, kNodeEngine))
    for (ArchiveNode* results = archive_->Find(engine, nullptr, kNodeResults); results;
         results = archive_->Find(engine, results, kNodeResults))
      for (ArchiveNode* result = archive_->Find(results, nullptr, kNodeResult); result;
           result = archive_->Find(results, result, kNodeResult))
        for (ArchiveNode* entry = archive_->Find(result, nullptr, kNodeCacheEntry); entry;
             entry = archive_->Find(result, entry, kNodeCacheEntry))
          visit(entry);
}

void ImageCache::DeleteEntriesOfSearch(ArchiveNode* search) {
  if (!search) return;
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_) return;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  std::vector<ArchiveNode*> entries;
  ForEachEntryOfSearch(search, [&](ArchiveNode* entry) { entries.push_back(entry); });
  for (ArchiveNode* entry : entries) DeleteEntry(entry);
}

std::vector<ArchiveNode*> ImageCache::SearchesNotKept(ArchiveNode* user, const Keep& keep) {
  std::vector<ArchiveNode*> searches;
  for (ArchiveNode* search = archive_->Find(user, nullptr, kNodeSearch); search;
       search = archive_->Find(user, search, kNodeSearch)) {
    std::string text;
    archive_->ReadText(search, text);
    if (keep && keep(text)) continue;
    searches.push_back(search);
  }
  return searches;
}

void ImageCache::Clear(ArchiveNode* user, const Keep& keep) {
  if (!user) return;
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_) return;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  std::vector<ArchiveNode*> entries;
  for (ArchiveNode* search : SearchesNotKept(user, keep))
    ForEachEntryOfSearch(search, [&](ArchiveNode* entry) { entries.push_back(entry); });
  for (ArchiveNode* entry : entries) DeleteEntry(entry);
}

void ImageCache::Trim(ArchiveNode* user, const Keep& keep, uint32_t budget) {
  if (!user) return;
  // Both locks for the whole walk: no search thread adds, reads or drops an
  // entry while we hold pointers to them.
  std::lock_guard<std::mutex> hold(lock_);
  if (!archive_) return;
  std::lock_guard<std::recursive_mutex> archiveHold(archive_->Lock());
  const uint64_t target = uint64_t{budget} * 3 / 4;
  if (total_ <= target) return;
  std::vector<Entry> entries;
  for (ArchiveNode* search : SearchesNotKept(user, keep))
    ForEachEntryOfSearch(search, [&](ArchiveNode* entry) {
      uint64_t time = 0;  // an entry without a time is taken as the oldest
      archive_->ReadU64(archive_->Find(entry, nullptr, kNodeCacheTime), time);
      entries.push_back(Entry{entry, time});
    });
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
  for (const Entry& e : entries) {
    if (total_ <= target) break;
    DeleteEntry(e.node);
  }
}
