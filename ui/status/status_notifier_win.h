#pragma once
// ShowStatus through the status popup, under the user's settings.
#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "support/status_sink.h"
#include "ui/status/status_popup_win.h"

class StatusPopupNotifier final : public StatusSink {
 public:
  // `settings` is the live record (ShowStatusPopup and StatusPopupPos are read
  // at each message); it must outlive this object. `skinPath` is the program's
  // folder + "statpop_skin.png"; `transparency` whether layered windows exist.
  StatusPopupNotifier(HINSTANCE instance, HWND mainWindow, std::string skinPath, const Settings& settings,
                      bool transparency);
  ~StatusPopupNotifier() override;

  // Nothing with ShowStatusPopup off; nothing while a message shows unless
  // `force`; otherwise the showing one ends and this one starts.
  void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) override;

  // Shutdown: ends a showing message and joins its thread.
  void Stop() { popup.Close(); }

  CStatusPopupDialog& Popup() { return popup; }

 private:
  HINSTANCE instance;
  HWND mainWindow;
  std::string skinPath;
  const Settings& settings;
  bool transparency;
  CStatusPopupDialog popup;
};
