#include "internet/binding/fetchpix_library_win.h"

#include <windows.h>

namespace {

constexpr uint32_t kNotLoaded = PLUGINNOTLOADED;

// EnumerateSearch's callback carries no context: the list being filled is
// reached through this pointer, set only for the duration of the call on
// the calling thread.
thread_local EngineList* t_enumerating = nullptr;

int32_t FETCHPIX_CALL CollectEngine(const EngineInfo* info) {
  if (!info || !t_enumerating) return STOPENUMERATION;
  Engine e;
  e.id = info->id;
  e.name = info->name ? info->name : "";
  for (size_t i = 0; i < e.capabilities.size(); ++i) e.capabilities[i] = info->capabilities[i];
  t_enumerating->push_back(std::move(e));
  return SUCCESS;
}

template <typename T>
bool BindExport(HMODULE module, T& slot, const char* name) {
  slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return slot != nullptr;
}

}  // namespace

FetchpixLibrary::~FetchpixLibrary() { Unload(); }

bool FetchpixLibrary::Bind() {
  HMODULE m = module.get();
  // In the order the exports are looked for; the first missing one fails the load.
  return BindExport(m, fn.InitDll, "InitDll") && BindExport(m, fn.UnloadDll, "UnloadDll") &&
         BindExport(m, fn.SetSearchOption, "SetSearchOption") &&
         BindExport(m, fn.EnumerateSearch, "EnumerateSearch") && BindExport(m, fn.StartSearch, "StartSearch") &&
         BindExport(m, fn.StopSearch, "StopSearch") && BindExport(m, fn.CheckSearchMode, "CheckSearchMode") &&
         BindExport(m, fn.CheckSearch, "CheckSearch") && BindExport(m, fn.FetchSearch, "FetchSearch") &&
         BindExport(m, fn.QueueImage, "QueueImage") && BindExport(m, fn.FreeImage, "FreeImage") &&
         BindExport(m, fn.ClearImageCache, "ClearImageCache") &&
         BindExport(m, fn.ClearSpecificHistoryCache, "ClearSpecificHistoryCache") &&
         BindExport(m, fn.CondemnImage, "CondemnImage") && BindExport(m, fn.IsCritical, "IsCritical");
}

uint32_t FetchpixLibrary::Load(const std::string& libraryPath, int32_t reserved, const std::string& dataFolder) {
  if (initialised) return SUCCESS;
  // The altered search path lets the library's own imports come from its folder too.
  module.reset(LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) return LOADFAILED;
  if (!Bind()) {
    fn = {};
    module.reset();
    return EXPORTMISSING;
  }
  const uint32_t result = fn.InitDll(reserved, FETCHPIX_INTERFACE_VERSION, dataFolder.c_str());
  initialised = result == SUCCESS;
  // After a failed InitDll no further call is made: the library may go.
  if (!initialised) {
    fn = {};
    module.reset();
  }
  return result;
}

uint32_t FetchpixLibrary::Unload() {
  if (!initialised) return PLUGINNOTLOADED;
  const uint32_t result = fn.UnloadDll();
  initialised = false;
  fn = {};
  module.reset();
  return result;
}

uint32_t FetchpixLibrary::SetOption(uint32_t id, uintptr_t value, uint32_t value2) {
  return initialised ? fn.SetSearchOption(id, value, value2) : kNotLoaded;
}

uint32_t FetchpixLibrary::Enumerate(EngineList& engines) {
  if (!initialised) return PLUGINNOTLOADED;
  engines.clear();
  t_enumerating = &engines;
  const uint32_t result = fn.EnumerateSearch(&CollectEngine);
  t_enumerating = nullptr;
  return result;
}

uint32_t FetchpixLibrary::StartSearch(const std::string& text, uint8_t engineId, SearchHandle* handle) {
  if (handle) *handle = nullptr;
  return initialised ? fn.StartSearch(text.c_str(), engineId, handle) : kNotLoaded;
}

uint32_t FetchpixLibrary::StopSearch(SearchHandle handle) {
  return initialised ? fn.StopSearch(handle) : kNotLoaded;
}

uint32_t FetchpixLibrary::FetchSearch(SearchHandle handle, ImageData** image) {
  return initialised ? fn.FetchSearch(handle, image) : kNotLoaded;
}

uint32_t FetchpixLibrary::QueueImage(SearchHandle handle, bool next) {
  return initialised ? fn.QueueImage(handle, next ? 1 : 0) : kNotLoaded;
}

uint32_t FetchpixLibrary::FreeImage(ImageData** image) {
  return initialised ? fn.FreeImage(image) : kNotLoaded;
}

uint32_t FetchpixLibrary::ClearImageCache() { return initialised ? fn.ClearImageCache() : kNotLoaded; }

uint32_t FetchpixLibrary::ClearSpecificHistoryCache(const std::string& text) {
  return initialised ? fn.ClearSpecificHistoryCache(text.c_str()) : kNotLoaded;
}

uint32_t FetchpixLibrary::CondemnImage(SearchHandle handle) {
  return initialised ? fn.CondemnImage(handle) : kNotLoaded;
}

uint32_t FetchpixLibrary::IsCritical(SearchHandle handle, bool& critical) {
  critical = false;
  if (!initialised) return PLUGINNOTLOADED;
  uint8_t answer = 0;
  const uint32_t result = fn.IsCritical(handle, &answer);
  critical = answer != 0;
  return result;
}
