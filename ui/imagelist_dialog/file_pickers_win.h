#pragma once
// The image list dialog's questions through the system's common dialogs.
#include "ui/imagelist_dialog/imagelist_dialog_services_win.h"

class CommonDialogPickers final : public ImageListPickers {
 public:
  PickResult PickImages(HWND owner, std::vector<std::string>& paths) override;
  bool PickFolder(HWND owner, std::string& folder) override;
  bool PickSaveName(HWND owner, std::string& name) override;
  bool PickListFile(HWND owner, std::string& name) override;
};
