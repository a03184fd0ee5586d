#pragma once
// The modal, resizable "Select Images": a copy of the image list edited in a
// virtual list view (so tens of thousands of lines stay quick), written to
// the list file only on OK.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/win/unique_handle_win.h"
#include "ui/imagelist_dialog/image_list_edit.h"
#include "ui/imagelist_dialog/imagelist_dialog_services_win.h"

class DialogFade;

class ImageListDialog {
 public:
  // `instance`: the module whose resources hold the template.
  ImageListDialog(HINSTANCE instance, ImageListDialogServices& services, ImageListPickers& pickers);
  ~ImageListDialog();
  ImageListDialog(const ImageListDialog&) = delete;
  ImageListDialog& operator=(const ImageListDialog&) = delete;

  // Shows the dialog over `owner` and returns when it has closed: IDOK after
  // OK, IDCANCEL after Cancel, 0 when it could not be shown.
  INT_PTR Run(HWND owner);
  HWND Window() const { return dialog; }
  const ImageListEdit& List() const { return list; }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int id);
  bool OnNotify(const NMHDR& header);
  void AddFolder();
  void AddFiles();
  void RemoveSelected();
  void Move(bool up);
  void SaveList();
  void LoadList();
  void SetAsWallpaper();
  void OnOk();
  void OnCancel();
  void Close(INT_PTR result);
  void Layout();

  std::vector<int32_t> Selection() const;
  void Select(const std::vector<int32_t>& lines);
  // The list view shows the list again (its length and the count line).
  void Refresh();
  int Ask(const char* text, const char* title, UINT flags);

  HINSTANCE instance;
  ImageListDialogServices& services;
  ImageListPickers& pickers;
  HWND dialog = nullptr;
  HWND view = nullptr;
  ImageListEdit list;
  std::string lineText;  // the text the list view was last handed
  bool closing = false;
  INT_PTR closeResult = IDCANCEL;
  SIZE minimumSize{};
  SIZE openedClient{};
  std::vector<RECT> openedPlaces;
  std::vector<UniqueWindow> tips;
  std::unique_ptr<DialogFade> fade;
};
