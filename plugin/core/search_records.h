#pragma once
// The live search records behind the handles that StartSearch gives out.
// Not locked itself: SearchLink's handle-list lock guards the list and every
// field of its records.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "plugin/include/fetchpix.h"

class SearchThread;

enum ControlStatus : uint32_t {
  CONTROL_STATUS_NEW = 0,
  CONTROL_STATUS_READY = 1,  // the search object exists and its thread runs
  CONTROL_STATUS_FAILED = 2,
};

enum SearchKind : uint32_t {
  SEARCH_KIND_UNKNOWN = 0,
  SEARCH_KIND_IMAGE = 1,    // a web address that serves one image
  SEARCH_KIND_ENGINE = 2,   // keywords on an engine
  SEARCH_KIND_GALLERY = 3,  // a web page of links
};

// The record a SearchHandle points at.
struct CurrentSearch {
  uint32_t id = 0;
  SearchThread* lpSearch = nullptr;  // owned by the control thread's start and stop
  uint32_t dwStatus = CONTROL_STATUS_NEW;
  uint32_t errorCode = 0;  // valid when dwStatus is CONTROL_STATUS_FAILED
  std::string text;        // encoded: blanks as "%20"
  uint32_t engineId = 0;
  uint32_t kind = SEARCH_KIND_UNKNOWN;
};

class SearchRecordList {
 public:
  // A new record at the front, with the next id.
  CurrentSearch* Add(std::string encodedText, uint32_t engineId);
  // By pointer value alone: a stopped handle is never read.
  CurrentSearch* Find(const void* handle) const;
  // Live and still the record it was when `id` was taken: a freed record's
  // address may come back for a new one.
  CurrentSearch* Find(const void* handle, uint32_t id) const;
  // Unlinks the record and hands it to the caller; null when not live.
  std::unique_ptr<CurrentSearch> Remove(const CurrentSearch* record);
  std::vector<CurrentSearch*> WithText(const std::string& encodedText) const;
  CurrentSearch* First() const;
  std::vector<CurrentSearch*> All() const;
  bool Empty() const { return records_.empty(); }
  size_t Size() const { return records_.size(); }
  void ResetIds() { nextId_ = 1; }

 private:
  std::list<std::unique_ptr<CurrentSearch>> records_;  // newest first
  uint32_t nextId_ = 1;
};
