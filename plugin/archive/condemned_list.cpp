#include "plugin/archive/condemned_list.h"

#include "plugin/archive/archive.h"

void CondemnedList::Load(Archive& archive) {
  std::lock_guard<std::mutex> guard(lock_);
  ordered_.clear();
  set_.clear();
  std::lock_guard<std::recursive_mutex> archiveGuard(archive.Lock());
  ArchiveNode* list = archive.Find(nullptr, nullptr, kNodeCondemnedList);
  if (!list) {
    archive.Add(nullptr, kNodeCondemnedList);
    return;
  }
  std::string address;
  for (ArchiveNode* n = archive.Find(list, nullptr, kNodeCondemned); n; n = archive.Find(list, n, kNodeCondemned)) {
    if (!archive.ReadText(n, address)) continue;
    if (set_.insert(address).second) ordered_.push_back(address);
  }
}

void CondemnedList::Condemn(Archive& archive, const std::string& address) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!set_.insert(address).second) return;
  ordered_.push_back(address);
  std::lock_guard<std::recursive_mutex> archiveGuard(archive.Lock());
  ArchiveNode* list = archive.Find(nullptr, nullptr, kNodeCondemnedList);
  if (!list) list = archive.Add(nullptr, kNodeCondemnedList);
  if (list) archive.AddText(list, kNodeCondemned, address);
}

bool CondemnedList::IsCondemned(const std::string& address) {
  std::lock_guard<std::mutex> guard(lock_);
  return set_.count(address) != 0;
}

std::vector<std::string> CondemnedList::Entries() {
  std::lock_guard<std::mutex> guard(lock_);
  return ordered_;
}
