#include "plugin/search/search_factory_win.h"

#include <string>

#include "plugin/core/engine_table.h"
#include "plugin/engines/engine_specs.h"
#include "plugin/search/search_engine_win.h"
#include "plugin/search/search_gallery_win.h"
#include "plugin/search/search_image_win.h"

std::unique_ptr<SearchThread> BuiltInSearchFactory::ForImage() const { return std::make_unique<SearchImage>(); }

std::unique_ptr<SearchThread> BuiltInSearchFactory::ForPage() const { return std::make_unique<SearchGallery>(); }

void BuiltInSearchFactory::RegisterEngines(EngineTable& table) const {
  for (const engines::EngineSpec& spec : engines::KeywordEngines())
    table.RegisterWithId(spec.id, std::string(spec.name), spec.capabilities, &MakeEngineSearch);
}
