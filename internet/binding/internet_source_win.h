#pragma once
// The program's one internet search: when it starts, restarts and stops, how
// the change pipeline's requests become plug-in calls, and what each of the
// plug-in's notifications does and tells the user. Main thread only.
#include <windows.h>

#include <string>

#include "internet/binding/engine_list.h"
#include "internet/binding/fetchpix_library_win.h"
#include "internet/history/search_history.h"
#include "settings/settings.h"
#include "support/status_sink.h"
#include "wallpaper/pipeline/internet_image_source.h"

class InternetSource final : public InternetImageSource, public SearchForgetter {
 public:
  // `defaultSaveFolder`: where the save dialog starts before anything was saved.
  InternetSource(FetchpixLibrary& library, Settings& live, StatusSink& status, std::string defaultSaveFolder);
  ~InternetSource() override;
  InternetSource(const InternetSource&) = delete;
  InternetSource& operator=(const InternetSource&) = delete;

  // The pipeline that hears the answers; null detaches it.
  void AttachSink(InternetImageSink* sink) { this->sink = sink; }
  // The window that receives the notifications and owns the boxes.
  void SetWindow(HWND window) { this->window = window; }

  // Asks the plug-in for its engines (start-up).
  uint32_t LoadEngines();
  const EngineList& Engines() const { return engines; }
  bool CanBlock(int32_t engineIndex) const { return EngineCanBlock(engines, engineIndex); }

  // Starts the search for the live text and engine; the plug-in's answer.
  uint32_t StartConfiguredSearch();
  // Hands the live filter, notification, grouping and cache options over.
  void SendOptions();
  // Settings were applied: a search the settings no longer want stops, and a
  // changed source starts its own (`sourceChanged`: text, switch or engine).
  void FollowSource(bool sourceChanged);
  // A notification (the main window's kMsgSearchNotify).
  void OnNotification(WPARAM wParam, LPARAM lParam);
  // Shutdown: stops the search and gives back what is held; the library is
  // unloaded by its owner afterwards.
  void Stop();

  // InternetImageSource.
  bool RequestImage(bool forward) override;
  void ReleaseImage() override;
  bool HasSearch() const override { return search != nullptr; }
  bool NeedsSizeCheck() const override;
  bool SaveCurrentImage() override;
  bool BlockCurrentImage() override;

  // SearchForgetter: a search that left the history takes its cache and place along.
  void ForgetSearch(const std::string& text) override;

 private:
  uint32_t StartSearch();
  // Stops and forgets the search; a request still waiting for it ends.
  void StopSearch();
  void EndRequest();
  void Fetch();
  // Tells the user about a status, when it is one the user is told about.
  void Tell(uint32_t code);

  FetchpixLibrary& library;
  Settings& live;
  StatusSink& status;
  const std::string defaultSaveFolder;
  InternetImageSink* sink = nullptr;
  HWND window = nullptr;
  EngineList engines;
  SearchHandle search = nullptr;
  // Delivered to the pipeline and not given back yet.
  ImageData* current = nullptr;
  // A QueueImage was answered SUCCESS and its notification has not been handled.
  bool awaiting = false;
  bool lastForward = true;
  // The search was restarted once for this request already (it vanished in the plug-in).
  bool restartedForRequest = false;
};
