#include "ui/status/status_notifier_win.h"

#include "ui/resources/ui_resource_ids.h"

StatusPopupNotifier::StatusPopupNotifier(HINSTANCE instance, HWND mainWindow, std::string skinPath,
                                         const Settings& settings, bool transparency)
    : instance(instance),
      mainWindow(mainWindow),
      skinPath(std::move(skinPath)),
      settings(settings),
      transparency(transparency) {}

StatusPopupNotifier::~StatusPopupNotifier() {
  popup.Close();
}

void StatusPopupNotifier::ShowStatus(const std::string& text, bool force, int32_t durationMs,
                                     uint32_t clickMessage) {
  if (!settings.ShowStatusPopup) return;
  if (popup.IsShowing() && !force) return;  // the new message is dropped
  StatusPopupConfig c;
  c.instance = instance;
  c.templateId = IDD_STATUS_POPUP;
  c.tickMs = 10;
  c.durationMs = durationMs;
  c.fadeMs = 400;
  c.text = text;
  c.skinPath = skinPath;
  c.textColour = RGB(0, 0, 0);
  c.textFormat = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
  c.position = settings.StatusPopupPos;
  c.clickWindow = mainWindow;
  c.clickMessage = clickMessage;
  c.transparency = transparency;
  popup.Show(c);
}
