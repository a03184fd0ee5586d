#include "plugin/search/search_factory_win.h"

#include <string>

#include "plugin/core/engine_table.h"
#include "plugin/engines/engine_rows.h"
#include "plugin/search/search_engine_win.h"
#include "plugin/search/search_gallery_win.h"
#include "plugin/search/search_image_win.h"

std::unique_ptr<SearchThread> BuiltInSearchFactory::ForImage() const { return std::make_unique<SearchImage>(); }

std::unique_ptr<SearchThread> BuiltInSearchFactory::ForPage() const { return std::make_unique<SearchGallery>(); }

void BuiltInSearchFactory::RegisterEngines(EngineTable& table) const {
  for (const engines::EngineRow& row : engines::KeywordEngines())
    table.RegisterWithId(row.id, std::string(row.name), row.capabilities, &MakeEngineSearch);
}
