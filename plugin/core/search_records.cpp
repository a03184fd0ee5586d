#include "plugin/core/search_records.h"

CurrentSearch* SearchRecordList::Add(std::string encodedText, uint32_t engineId) {
  auto record = std::make_unique<CurrentSearch>();
  record->id = nextId_++;
  record->text = std::move(encodedText);
  record->engineId = engineId;
  records_.push_front(std::move(record));
  return records_.front().get();
}

CurrentSearch* SearchRecordList::Find(const void* handle) const {
  if (!handle) return nullptr;
  for (const auto& r : records_)
    if (static_cast<const void*>(r.get()) == handle) return r.get();
  return nullptr;
}

CurrentSearch* SearchRecordList::Find(const void* handle, uint32_t id) const {
  CurrentSearch* r = Find(handle);
  return r && r->id == id ? r : nullptr;
}

std::unique_ptr<CurrentSearch> SearchRecordList::Remove(const CurrentSearch* record) {
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (it->get() == record) {
      std::unique_ptr<CurrentSearch> out = std::move(*it);
      records_.erase(it);
      return out;
    }
  }
  return nullptr;
}

std::vector<CurrentSearch*> SearchRecordList::WithText(const std::string& encodedText) const {
  std::vector<CurrentSearch*> out;
  for (const auto& r : records_)
    if (r->text == encodedText) out.push_back(r.get());
  return out;
}

CurrentSearch* SearchRecordList::First() const { return records_.empty() ? nullptr : records_.front().get(); }

std::vector<CurrentSearch*> SearchRecordList::All() const {
  std::vector<CurrentSearch*> all;
  for (const auto& r : records_) all.push_back(r.get());
  return all;
}
