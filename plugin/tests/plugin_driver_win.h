#pragma once
// What the tests that drive the real Fetchpix.dll share: its exports bound by
// name through the boundary header's pointer types, and the notifications it
// posts, recorded by a window procedure and waited for per search.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

#include "plugin/include/fetchpix.h"

namespace plugin_test {

inline constexpr UINT kNotifyMessage = 0x8009;
inline constexpr uint32_t kNoNote = 0xFFFFFFFFu;
using Clock = std::chrono::steady_clock;

struct FetchpixApi {
  PFN_InitDll InitDll;
  PFN_UnloadDll UnloadDll;
  PFN_SetSearchOption SetSearchOption;
  PFN_EnumerateSearch EnumerateSearch;
  PFN_StartSearch StartSearch;
  PFN_StopSearch StopSearch;
  PFN_CheckSearchMode CheckSearchMode;
  PFN_CheckSearch CheckSearch;
  PFN_FetchSearch FetchSearch;
  PFN_QueueImage QueueImage;
  PFN_FreeImage FreeImage;
  PFN_ClearImageCache ClearImageCache;
  PFN_ClearSpecificHistoryCache ClearSpecificHistoryCache;
  PFN_CondemnImage CondemnImage;
  PFN_IsCritical IsCritical;
};

template <typename T>
void BindExport(HMODULE dll, T& slot, const char* name) {
  slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

// Every export; a missing one stays null.
inline void BindFetchpix(HMODULE dll, FetchpixApi& api) {
  BindExport(dll, api.InitDll, "InitDll");
  BindExport(dll, api.UnloadDll, "UnloadDll");
  BindExport(dll, api.SetSearchOption, "SetSearchOption");
  BindExport(dll, api.EnumerateSearch, "EnumerateSearch");
  BindExport(dll, api.StartSearch, "StartSearch");
  BindExport(dll, api.StopSearch, "StopSearch");
  BindExport(dll, api.CheckSearchMode, "CheckSearchMode");
  BindExport(dll, api.CheckSearch, "CheckSearch");
  BindExport(dll, api.FetchSearch, "FetchSearch");
  BindExport(dll, api.QueueImage, "QueueImage");
  BindExport(dll, api.FreeImage, "FreeImage");
  BindExport(dll, api.ClearImageCache, "ClearImageCache");
  BindExport(dll, api.ClearSpecificHistoryCache, "ClearSpecificHistoryCache");
  BindExport(dll, api.CondemnImage, "CondemnImage");
  BindExport(dll, api.IsCritical, "IsCritical");
}

struct Note {
  SearchHandle handle;
  uint32_t code;
};

// The notifications received and not yet waited for, oldest first.
inline std::deque<Note> g_notes;

// The window procedure of the window the notifications are posted to.
inline LRESULT CALLBACK RecordNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kNotifyMessage) {
    g_notes.push_back(Note{reinterpret_cast<SearchHandle>(wParam), static_cast<uint32_t>(lParam)});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
}

// Handles messages for `ms` milliseconds.
inline void Pump(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) PumpMessages();
}

// The next notification for `handle` (others stay queued); kNoNote on time-out.
inline uint32_t WaitNote(SearchHandle handle, int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    for (auto it = g_notes.begin(); it != g_notes.end(); ++it) {
      if (it->handle == handle) {
        const uint32_t code = it->code;
        g_notes.erase(it);
        return code;
      }
    }
    if (Clock::now() >= end) return kNoNote;
    PumpMessages();
  }
}

inline int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

}  // namespace plugin_test
