#pragma once
// A web address that serves an HTML page: its linked and embedded images are
// the results. The page is fetched once; the end of the results starts again
// at the first of them without fetching anything.
#include "plugin/container/search_container_win.h"

class SearchGallery final : public SearchContainer {
 public:
  SearchGallery();
  ~SearchGallery() override;

 protected:
  uint32_t FetchResults(size_t resultsBefore, uint32_t& newCount) override;
  void RestartResults() override;

 private:
  bool fetched_ = false;  // search thread only
};
