#pragma once
// Fetchpix.dll, loaded and bound by export name. Every call passes one guard:
// before a successful InitDll (or after UnloadDll) nothing is called and the
// answer is PLUGINNOTLOADED. Main thread only.
#include <cstdint>
#include <string>

#include "internet/binding/engine_list.h"
#include "plugin/include/fetchpix.h"
#include "support/win/unique_handle_win.h"

class FetchpixLibrary {
 public:
  FetchpixLibrary() = default;
  // Unloads (UnloadDll, then the library) when still loaded.
  ~FetchpixLibrary();
  FetchpixLibrary(const FetchpixLibrary&) = delete;
  FetchpixLibrary& operator=(const FetchpixLibrary&) = delete;

  // Loads the library from this full path (never through the search order, so
  // a planted copy elsewhere is not taken), binds the fifteen exports and
  // calls InitDll. SUCCESS, LOADFAILED, EXPORTMISSING or InitDll's answer.
  uint32_t Load(const std::string& libraryPath, int32_t reserved, const std::string& dataFolder);
  // UnloadDll's answer, or PLUGINNOTLOADED.
  uint32_t Unload();
  bool Initialised() const { return initialised; }

  uint32_t SetOption(uint32_t id, uintptr_t value, uint32_t value2 = 0);
  uint32_t SetFlag(uint32_t id, bool on) { return SetOption(id, on ? 1 : 0); }
  // Replaces `engines` with the plug-in's list, in its order.
  uint32_t Enumerate(EngineList& engines);
  uint32_t StartSearch(const std::string& text, uint8_t engineId, SearchHandle* handle);
  uint32_t StopSearch(SearchHandle handle);
  uint32_t FetchSearch(SearchHandle handle, ImageData** image);
  uint32_t QueueImage(SearchHandle handle, bool next);
  uint32_t FreeImage(ImageData** image);
  uint32_t ClearImageCache();
  uint32_t ClearSpecificHistoryCache(const std::string& text);
  uint32_t CondemnImage(SearchHandle handle);
  // `critical` is false unless the plug-in says the search must be restarted.
  uint32_t IsCritical(SearchHandle handle, bool& critical);

 private:
  struct Exports {
    PFN_InitDll InitDll = nullptr;
    PFN_UnloadDll UnloadDll = nullptr;
    PFN_SetSearchOption SetSearchOption = nullptr;
    PFN_EnumerateSearch EnumerateSearch = nullptr;
    PFN_StartSearch StartSearch = nullptr;
    PFN_StopSearch StopSearch = nullptr;
    PFN_CheckSearchMode CheckSearchMode = nullptr;
    PFN_CheckSearch CheckSearch = nullptr;
    PFN_FetchSearch FetchSearch = nullptr;
    PFN_QueueImage QueueImage = nullptr;
    PFN_FreeImage FreeImage = nullptr;
    PFN_ClearImageCache ClearImageCache = nullptr;
    PFN_ClearSpecificHistoryCache ClearSpecificHistoryCache = nullptr;
    PFN_CondemnImage CondemnImage = nullptr;
    PFN_IsCritical IsCritical = nullptr;
  };
  bool Bind();

  UniqueModule module;
  Exports fn;
  bool initialised = false;
};
