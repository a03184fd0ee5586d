#include "ui/imagelist_dialog/file_pickers_win.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <string_view>

#include "ui/imagelist_dialog/image_list_edit.h"
#include "ui/settings/dialog_controls_win.h"

namespace {

// Room for thousands of picked names from the start; grown when the dialog
// still reports it too small, up to a limit no real selection reaches.
constexpr size_t kFirstPickBuffer = 256 * 1024;
constexpr size_t kLargestPickBuffer = 16 * 1024 * 1024;

constexpr wchar_t kImageFilters[] =
    L"All files (*.*)\0*.*\0"
    L"All supported types\0*.tga;*.bmp;*.pcx;*.tif;*.tiff;*.jpg;*.jpeg;*.gif;*.png;*.htm;*.html;*.swf\0"
    L"TGA (*.tga)\0*.tga\0"
    L"Bitmap files (*.bmp,*.pcx)\0*.bmp;*.pcx\0"
    L"TIFF (*.tif)\0*.tif;*.tiff\0"
    L"JPEG (*.jpg,*.jpeg)\0*.jpg;*.jpeg\0"
    L"GIF (*.gif)\0*.gif\0"
    L"PNG (*.png)\0*.png\0"
    L"HTM (*.htm)\0*.htm\0"
    L"HTML (*.html)\0*.html\0"
    L"Shockwave (*.swf)\0*.swf\0";

// The wide result in the ANSI code page, NULs kept.
std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// The used part of a multiple-selection buffer: up to its double NUL.
std::wstring_view UsedPart(const std::wstring& buffer) {
  for (size_t i = 0; i + 1 < buffer.size(); ++i)
    if (buffer[i] == L'\0' && buffer[i + 1] == L'\0') return std::wstring_view(buffer.data(), i + 2);
  return std::wstring_view(buffer.data(), buffer.size());
}

bool AskFileName(HWND owner, const char* title, const char* filters, bool save, std::string& name) {
  char buffer[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return false;
  name = buffer;
  return true;
}

}  // namespace

PickResult CommonDialogPickers::PickImages(HWND owner, std::vector<std::string>& paths) {
  size_t size = kFirstPickBuffer;
  for (;;) {
    std::wstring buffer(size, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kImageFilters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = L"Select image(s)";
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog)) {
      paths = SplitPickedFiles(ToAnsi(UsedPart(buffer)));
      return PickResult::kChosen;
    }
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return PickResult::kCancelled;
    if (error != FNERR_BUFFERTOOSMALL) return PickResult::kFailed;
    if (size >= kLargestPickBuffer) return PickResult::kBufferTooSmall;
    // The first two characters give the size the selection needs; ask again with room for it.
    const size_t needed = static_cast<size_t>(static_cast<uint16_t>(buffer[0]));
    size = std::min(kLargestPickBuffer, std::max(size * 2, needed + 2));
  }
}

bool CommonDialogPickers::PickFolder(HWND owner, std::string& folder) {
  return BrowseForFolder(owner, "Select a Folder", 0, folder) == FolderChoice::kChosen;
}

bool CommonDialogPickers::PickSaveName(HWND owner, std::string& name) {
  return AskFileName(owner, "Save image list", "Image playlist (*.pls)\0*.pls\0", true, name);
}

bool CommonDialogPickers::PickListFile(HWND owner, std::string& name) {
  return AskFileName(owner, "Select an image list", "All files (*.*)\0*.*\0Image playlist\0*.pls\0", false, name);
}
