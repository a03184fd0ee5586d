#pragma once
// A keyword search on a result-page engine, and the four engines. Each result
// page is asked for at the engine's page position (archive node 261), its
// result links become results, and the position moves on; the end of the
// results rewinds it to the engine's first page.
#include <cstdint>
#include <string>

#include "plugin/container/search_container_win.h"
#include "plugin/engines/engine_rows.h"
#include "plugin/engines/paging_guard.h"

class SearchEngine : public SearchContainer {
 public:
  explicit SearchEngine(const engines::EngineRow& row);
  ~SearchEngine() override;

 protected:
  bool Initialise() override;
  uint32_t FetchResults(size_t resultsBefore, uint32_t& newCount) override;
  void RestartResults() override;
  virtual uint32_t FirstPage() const;
  // Stores the new position in node 261.
  void SetPage(uint32_t position);

 private:
  const engines::EngineRow& row_;
  uint32_t page_ = 0;
  ArchiveNode* pageNode_ = nullptr;
  engines::PagingGuard guard_;
};

class SearchGoogle final : public SearchEngine {
 public:
  SearchGoogle();
};
class SearchJeeves final : public SearchEngine {
 public:
  SearchJeeves();
};
class SearchYahoo final : public SearchEngine {
 public:
  SearchYahoo();
};
class SearchLycos final : public SearchEngine {
 public:
  SearchLycos();
};

// The factory of the engine table: the search object of a keyword engine.
std::unique_ptr<SearchThread> MakeEngineSearch(uint32_t id);
