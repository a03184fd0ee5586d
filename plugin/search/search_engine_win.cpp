#include "plugin/search/search_engine_win.h"

#include "plugin/archive/archive.h"
#include "plugin/core/search_link_win.h"
#include "plugin/engines/engine_request.h"
#include "plugin/engines/extract_links.h"
#include "plugin/net/net_session_win.h"
#include "support/log/log.h"

namespace {
const engines::EngineRow& RowOf(uint32_t id) { return *engines::FindEngineRow(id); }
}  // namespace

SearchEngine::SearchEngine(const engines::EngineRow& row)
    : SearchContainer(std::string(row.name)), row_(row) {}

SearchEngine::~SearchEngine() { QuitSearchHandle(); }

uint32_t SearchEngine::FirstPage() const { return engines::FirstPagePosition(row_.id); }

bool SearchEngine::Initialise() {
  if (!SearchContainer::Initialise()) return false;
  page_ = FirstPage();
  Archive* archive = Link()->GetArchive();
  if (!archive || !EngineNode()) return true;
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  pageNode_ = archive->Find(EngineNode(), nullptr, kNodePagePosition);
  if (!pageNode_)
    pageNode_ = archive->AddU32(EngineNode(), kNodePagePosition, page_);
  else if (!archive->ReadU32(pageNode_, page_))
    archive->SetU32(pageNode_, page_ = FirstPage());
  return true;
}

void SearchEngine::SetPage(uint32_t position) {
  page_ = position;
  Archive* archive = Link()->GetArchive();
  if (!archive || !pageNode_) return;
  std::lock_guard<std::recursive_mutex> hold(archive->Lock());
  archive->SetU32(pageNode_, page_);
}

void SearchEngine::RestartResults() {
  SetPage(FirstPage());
  guard_.Reset();
}

uint32_t SearchEngine::FetchResults(size_t, uint32_t& newCount) {
  newCount = 0;
  const SearchOptions& options = Link()->Options();
  const std::optional<engines::EngineRequest> request =
      engines::BuildRequest(row_.id, Text(), page_, {options.GroupResults(), options.BlockExplicit()});
  if (!request) {
    SetStatusCode(ENGINEUNAVAILABLE);
    SetStatus(STATUS_REPORT);
    return ENGINEUNAVAILABLE;
  }
  std::string type;
  std::optional<net::DownloadResult> page = Session().Download(request->address, &type);
  if (!page) {
    uint32_t code = Session().lastError();
    // Being stopped: nothing is reported, the quit ends the thread.
    if (QuitRequested()) return DOWNLOADABORTED;
    if (code == URLNOTRESOLVED || code == CONNECTIONREFUSED) code = ENGINEUNAVAILABLE;
    SetStatusCode(code);
    SetStatus(STATUS_REPORT);
    return code;
  }
  const std::string_view html(reinterpret_cast<const char*>(page->bytes.data()), page->bytes.size());
  const engines::CandidateList candidates = engines::ExtractCandidates(row_.id, html, request->address);
  size_t fresh = 0;
  std::string image, fallback;  // reused: the list's addresses are views
  for (const engines::Candidate& c : candidates)
    if (AddResult(image.assign(c.imageUrl), fallback.assign(c.pageUrl), c.width, c.height)) ++fresh;
  SetPage(engines::NextPagePosition(row_.id, page_, candidates.size()));
  // Every engine trims, so that wrapping round never grows the list.
  TrimResults();
  guard_.PageDone(fresh);
  if (guard_.Exhausted()) {
    // Pages of repeats: this pass is over.
    guard_.Reset();
    return SUCCESS;
  }
  newCount = static_cast<uint32_t>(candidates.size());
  return SUCCESS;
}

SearchGoogle::SearchGoogle() : SearchEngine(RowOf(1)) {}
SearchJeeves::SearchJeeves() : SearchEngine(RowOf(2)) {}
SearchYahoo::SearchYahoo() : SearchEngine(RowOf(3)) {}
SearchLycos::SearchLycos() : SearchEngine(RowOf(5)) {}

std::unique_ptr<SearchThread> MakeEngineSearch(uint32_t id) {
  switch (id) {
    case 1:
      return std::make_unique<SearchGoogle>();
    case 2:
      return std::make_unique<SearchJeeves>();
    case 3:
      return std::make_unique<SearchYahoo>();
    case 5:
      return std::make_unique<SearchLycos>();
    default:
      return nullptr;
  }
}
