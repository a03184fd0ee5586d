// The fifteen exports: thin entries into the one core object, which they
// build with the search objects the plug-in ships. Every failure
// is a status code; nothing is thrown across the boundary.
#include <memory>
#include <new>

#include "plugin/core/search_link_win.h"
#include "plugin/include/fetchpix.h"
#include "plugin/search/search_factory_win.h"

namespace {
// The search objects every core of this process makes; stateless.
const BuiltInSearchFactory g_factory;
// From InitDll to UnloadDll; the program calls both from one thread.
SearchLink* g_link = nullptr;

bool Flag(uint32_t widened) { return (widened & 0xFF) != 0; }
}  // namespace

extern "C" {

uint32_t FETCHPIX_CALL InitDll(int32_t reserved, uint32_t interfaceVersion, const char* dataFolder) {
  if (interfaceVersion != FETCHPIX_INTERFACE_VERSION) return VERSIONMISMATCH;
  if (g_link) return SUCCESS;  // once: a second call keeps the running core
  std::unique_ptr<SearchLink> link(new (std::nothrow) SearchLink(g_factory));
  if (!link) return OUTOFMEMORY;
  const uint32_t code = link->Initialise(dataFolder, static_cast<uint8_t>(reserved));
  if (code != SUCCESS) return code;  // the destructor undoes what was set up
  g_link = link.release();
  return SUCCESS;
}

uint32_t FETCHPIX_CALL UnloadDll(void) {
  if (!g_link) return SUCCESS;
  SearchLink* link = g_link;
  g_link = nullptr;
  link->Shutdown();
  delete link;
  return SUCCESS;
}

uint32_t FETCHPIX_CALL SetSearchOption(uint32_t optionId, uintptr_t value, uint32_t value2) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->Options().Set(optionId, value, value2);
}

uint32_t FETCHPIX_CALL EnumerateSearch(FetchpixEnumCallback callback) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->Engines().Enumerate(callback);
}

uint32_t FETCHPIX_CALL StartSearch(const char* text, uint8_t engineId, SearchHandle* handle) {
  if (handle) *handle = nullptr;
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->StartSearch(text, engineId, handle);
}

uint32_t FETCHPIX_CALL StopSearch(SearchHandle handle) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->StopSearch(handle);
}

uint32_t FETCHPIX_CALL CheckSearchMode(int32_t) { return NOTSUPPORTED; }

uint32_t FETCHPIX_CALL CheckSearch(SearchHandle handle) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->CheckSearch(handle);
}

uint32_t FETCHPIX_CALL FetchSearch(SearchHandle handle, ImageData** image) {
  if (!image) return BADPARAMETER;
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->FetchSearch(handle, image);
}

uint32_t FETCHPIX_CALL QueueImage(SearchHandle handle, uint32_t next) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->QueueImage(handle, Flag(next));
}

uint32_t FETCHPIX_CALL FreeImage(ImageData** image) {
  if (!image || !*image) return SUCCESS;
  delete[] (*image)->fileName;
  delete[] (*image)->bytes;
  delete *image;
  *image = nullptr;
  return SUCCESS;
}

uint32_t FETCHPIX_CALL ClearImageCache(void) {
  if (!g_link) return PLUGINNOTLOADED;
  g_link->Queue(ControlEntry{kControlClearCache});
  return SUCCESS;
}

uint32_t FETCHPIX_CALL ClearSpecificHistoryCache(const char* text) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->ClearSpecificHistoryCache(text);
}

uint32_t FETCHPIX_CALL CondemnImage(SearchHandle handle) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->CondemnImage(handle);
}

uint32_t FETCHPIX_CALL IsCritical(SearchHandle handle, uint8_t* critical) {
  if (!g_link) return PLUGINNOTLOADED;
  return g_link->IsCritical(handle, critical);
}

}  // extern "C"
