#include "ui/imagelist_dialog/imagelist_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "imagelist/extensions.h"
#include "imagelist/folder_scan_win.h"
#include "imagelist/playlist.h"
#include "ui/hotkeys/dialog_fade_win.h"
#include "ui/imagelist_dialog/imagelist_dialog_ids.h"
#include "ui/settings/dialog_controls_win.h"

namespace {

// How each control follows the window: by how much of the width and height
// change its left, top, right and bottom edges move (0 stays, 1 follows).
struct Anchor {
  int id;
  bool left, top, right, bottom;
};
constexpr Anchor kAnchors[] = {
    {IDC_IL_LIST, false, false, true, true},
    {IDC_IL_ADD_FOLDER, true, false, true, false},
    {IDC_IL_ADD_FILES, true, false, true, false},
    {IDC_IL_REMOVE, true, false, true, false},
    {IDC_IL_UP, true, false, true, false},
    {IDC_IL_DOWN, true, false, true, false},
    {IDC_IL_CLEAR, true, false, true, false},
    {IDC_IL_SAVE, true, false, true, false},
    {IDC_IL_LOAD, true, false, true, false},
    {IDC_IL_COUNT, true, false, true, false},
    {IDC_IL_SHOW_THUMBNAIL, true, false, true, false},
    {IDC_IL_THUMBNAIL, true, false, true, true},
    {IDC_IL_INSTRUCTION, false, true, true, true},
    {IDC_IL_SET_WALLPAPER, false, true, false, true},
    {IDOK, true, true, true, true},
    {IDCANCEL, true, true, true, true},
};

struct Tip {
  int id;
  const char* text;
};
constexpr Tip kTips[] = {
    {IDC_IL_ADD_FILES, "Click to add images to your image list"},
    {IDC_IL_CLEAR, "Click to remove all images from your image list"},
    {IDC_IL_SHOW_THUMBNAIL, "Show thumbnail of the selected image?"},
    {IDC_IL_REMOVE, "Click to remove the selected images from the image list"},
    {IDC_IL_UP, "Click to move the selected files up in the play order"},
    {IDC_IL_DOWN, "Click to move the selected files down in the play order"},
    {IDC_IL_SAVE, "Click to save the current list to a file"},
    {IDC_IL_LOAD, "Click to load a saved list of images"},
    {IDC_IL_ADD_FOLDER, "Add all images in a folder and all of its subfolders"},
    {IDC_IL_SET_WALLPAPER, "Set the currently selected image as your current wallpaper now"},
};

constexpr int kTipDelayMs = 250;
constexpr uint32_t kHelpContext = 4;

std::vector<std::string> WallpaperFilesOf(const std::vector<std::string>& paths) {
  std::vector<std::string> kept;
  std::copy_if(paths.begin(), paths.end(), std::back_inserter(kept),
               [](const std::string& path) { return IsWallpaperFile(path); });
  return kept;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ImageListDialog::ImageListDialog(HINSTANCE instance, ImageListDialogServices& services, ImageListPickers& pickers)
    : instance(instance), services(services), pickers(pickers), fade(std::make_unique<DialogFade>()) {}

ImageListDialog::~ImageListDialog() = default;

INT_PTR ImageListDialog::Run(HWND owner) {
  if (dialog) return 0;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  closeResult = IDCANCEL;
  const INT_PTR shown = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SELECT_IMAGES), owner, &ImageListDialog::Proc,
                                        reinterpret_cast<LPARAM>(this));
  return shown > 0 ? closeResult : 0;
}

INT_PTR CALLBACK ImageListDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ImageListDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->dialog = window;
    self->OnInit();
    return TRUE;
  }
  auto* self = reinterpret_cast<ImageListDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

void ImageListDialog::OnInit() {
  closing = false;
  view = GetDlgItem(dialog, IDC_IL_LIST);

  RECT window{};
  GetWindowRect(dialog, &window);
  minimumSize = {window.right - window.left, window.bottom - window.top};
  RECT client{};
  GetClientRect(dialog, &client);
  openedClient = {client.right, client.bottom};
  openedPlaces.clear();
  for (const Anchor& anchor : kAnchors) {
    RECT place{};
    GetWindowRect(GetDlgItem(dialog, anchor.id), &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    openedPlaces.push_back(place);
  }

  SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  RECT viewClient{};
  GetClientRect(view, &viewClient);
  column.cx = viewClient.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageA(view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  // The list file as it is, without an extension test: what the program plays.
  Playlist stored;
  const std::string listFile = services.ListFilePath();
  if (!listFile.empty()) stored.Load(listFile);
  list.Start(stored.Entries());
  Refresh();

  for (const Tip& tip : kTips)
    if (UniqueWindow window = AddTooltip(GetDlgItem(dialog, tip.id), tip.text, kTooltipWidth)) {
      SendMessageA(window.get(), TTM_SETDELAYTIME, TTDT_INITIAL, kTipDelayMs);
      tips.push_back(std::move(window));
    }
  CheckDlgButton(dialog, IDC_IL_SHOW_THUMBNAIL, services.ShowThumbnails() ? BST_CHECKED : BST_UNCHECKED);
  fade->In(dialog);
}

INT_PTR ImageListDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      return header.idFrom == IDC_IL_LIST && OnNotify(header);
    }
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      if (minimumSize.cx > 0) limits->ptMinTrackSize = {minimumSize.cx, minimumSize.cy};
      return TRUE;
    }
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_HELP:
      ShowHelp(dialog, services.HelpFilePath(), kHelpContext);
      return TRUE;
    case WM_DESTROY:
      tips.clear();
      dialog = nullptr;
      view = nullptr;
      return FALSE;
  }
  return FALSE;
}

void ImageListDialog::OnCommand(int id) {
  if (closing) return;
  switch (id) {
    case IDC_IL_ADD_FOLDER: AddFolder(); break;
    case IDC_IL_ADD_FILES: AddFiles(); break;
    case IDC_IL_REMOVE: RemoveSelected(); break;
    case IDC_IL_CLEAR:
      list.Clear();
      Refresh();
      break;
    case IDC_IL_UP: Move(true); break;
    case IDC_IL_DOWN: Move(false); break;
    case IDC_IL_SAVE: SaveList(); break;
    case IDC_IL_LOAD: LoadList(); break;
    case IDC_IL_SHOW_THUMBNAIL:
      services.SetShowThumbnails(IsDlgButtonChecked(dialog, IDC_IL_SHOW_THUMBNAIL) == BST_CHECKED);
      InvalidateRect(GetDlgItem(dialog, IDC_IL_THUMBNAIL), nullptr, TRUE);
      break;
    case IDC_IL_SET_WALLPAPER: SetAsWallpaper(); break;
    case IDOK: OnOk(); break;
    case IDCANCEL: OnCancel(); break;
  }
}

bool ImageListDialog::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOA: {
      auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
      if ((info.item.mask & LVIF_TEXT) && info.item.iItem >= 0 && info.item.iItem < list.Count()) {
        // The view copies the text at once, so one buffer serves every line.
        lineText = std::string(LineText(list.Paths()[static_cast<size_t>(info.item.iItem)]));
        info.item.pszText = lineText.data();
      }
      return true;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) RemoveSelected();
      return true;
  }
  return false;
}

std::vector<int32_t> ImageListDialog::Selection() const {
  std::vector<int32_t> lines;
  int index = -1;
  while ((index = static_cast<int>(SendMessageA(view, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0)
    lines.push_back(index);
  return lines;
}

void ImageListDialog::Select(const std::vector<int32_t>& lines) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  state.state = 0;
  SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  for (int32_t line : lines) SendMessageA(view, LVM_SETITEMSTATE, line, reinterpret_cast<LPARAM>(&state));
  if (!lines.empty()) {
    state.stateMask = LVIS_FOCUSED;
    state.state = LVIS_FOCUSED;
    SendMessageA(view, LVM_SETITEMSTATE, lines.front(), reinterpret_cast<LPARAM>(&state));
    SendMessageA(view, LVM_ENSUREVISIBLE, lines.front(), FALSE);
  }
}

void ImageListDialog::Refresh() {
  SendMessageA(view, LVM_SETITEMCOUNT, list.Count(), 0);
  InvalidateRect(view, nullptr, TRUE);
  const std::string count = std::to_string(list.Count()) + "\nFiles";
  SetDlgItemTextA(dialog, IDC_IL_COUNT, count.c_str());
}

int ImageListDialog::Ask(const char* text, const char* title, UINT flags) {
  return MessageBoxA(dialog, text, title, flags);
}

void ImageListDialog::AddFolder() {
  std::string folder;
  if (!pickers.PickFolder(dialog, folder)) return;
  Playlist found;
  ScanFolder(folder, found);
  list.Add(WallpaperFilesOf(found.Entries()));
  Refresh();
}

void ImageListDialog::AddFiles() {
  std::vector<std::string> picked;
  switch (pickers.PickImages(dialog, picked)) {
    case PickResult::kCancelled:
      return;
    case PickResult::kFailed:
      Ask("Error with dialog selection!", "Error", MB_OK | MB_ICONERROR);
      return;
    case PickResult::kBufferTooSmall:
      Ask("Error with dialog selection!", "Error", MB_OK | MB_ICONERROR);
      Ask("Buffer too small", "Error", MB_OK | MB_ICONERROR);
      return;
    case PickResult::kChosen:
      break;
  }
  // Whatever was picked goes in, even through the all-files filter.
  list.Add(picked);
  Refresh();
}

void ImageListDialog::RemoveSelected() {
  const std::vector<int32_t> selected = Selection();
  if (selected.empty()) return;
  list.Remove(selected);
  Select({});
  Refresh();
}

void ImageListDialog::Move(bool up) {
  const std::vector<int32_t> selected = Selection();
  const std::vector<int32_t> moved = up ? list.MoveUp(selected) : list.MoveDown(selected);
  if (moved == selected) return;
  Select(moved);
  InvalidateRect(view, nullptr, FALSE);
}

void ImageListDialog::SaveList() {
  if (list.Count() == 0) {
    Ask("There are no images to save!", "Nothing to save", MB_OK | MB_ICONWARNING);
    return;
  }
  std::string name;
  if (!pickers.PickSaveName(dialog, name)) return;
  name = WithListExtension(name);
  if (FileExists(name) && Ask("A file by that name already exists, do you want to overwrite it?",
                              "File already exists", MB_YESNO) != IDYES)
    return;
  Playlist saved;
  saved.AddEntries(list.Paths());
  if (!saved.Save(name, kFormatPLS))
    Ask("The image list could not be saved!", "Error", MB_OK | MB_ICONWARNING);
}

void ImageListDialog::LoadList() {
  if (Ask("Loading a new image list will replace your current selections!\n\nAre you sure you want to proceed?",
          "Attention", MB_YESNO) != IDYES)
    return;
  std::string name;
  if (!pickers.PickListFile(dialog, name)) return;
  Playlist loaded;
  if (!loaded.Load(name)) {
    Ask("This image list appears to be an invalid image list!", "Error", MB_OK | MB_ICONWARNING);
    return;
  }
  list.Replace(WallpaperFilesOf(loaded.Entries()));
  Select({});
  Refresh();
}

void ImageListDialog::SetAsWallpaper() {
  const int caret = static_cast<int>(SendMessageA(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (caret < 0 || caret >= list.Count()) return;
  services.ShowAsWallpaper(list.Paths()[static_cast<size_t>(caret)]);
}

void ImageListDialog::OnOk() {
  const std::string listFile = services.ListFilePath();
  if (list.Count() == 0) {
    // An empty list is no list file; a file that cannot go must not be left to be played.
    if (!DeleteFileA(listFile.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND) {
      Ask("The old image list could not be deleted. Nothing was changed; please try again.", "Error",
          MB_OK | MB_ICONWARNING);
      return;
    }
    services.ListCommitted(false, list.Replaced());
    Close(IDOK);
    return;
  }
  Playlist written;
  written.AddEntries(list.Paths());
  // The save writes a new file and swaps it in, so a failure leaves the old list whole.
  if (!written.Save(listFile, kFormatPLS)) {
    Ask("The image list could not be written. Your previous list is unchanged and your edits are still here.",
        "Error", MB_OK | MB_ICONWARNING);
    return;
  }
  services.ListCommitted(true, list.Replaced());
  Close(IDOK);
}

void ImageListDialog::OnCancel() {
  if (list.Modified() &&
      Ask("Are you sure you want to lose your changes?", "Are you sure?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  Close(IDCANCEL);
}

void ImageListDialog::Close(INT_PTR result) {
  if (closing) return;
  closing = true;
  closeResult = result;
  if (!fade->OutAndEnd(dialog)) EndDialog(dialog, result);
}

void ImageListDialog::Layout() {
  if (!dialog || openedPlaces.size() != std::size(kAnchors)) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const int dx = client.right - openedClient.cx;
  const int dy = client.bottom - openedClient.cy;
  HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(kAnchors)));
  for (size_t i = 0; i < std::size(kAnchors); ++i) {
    const Anchor& anchor = kAnchors[i];
    RECT place = openedPlaces[i];
    if (anchor.left) place.left += dx;
    if (anchor.right) place.right += dx;
    if (anchor.top) place.top += dy;
    if (anchor.bottom) place.bottom += dy;
    HWND control = GetDlgItem(dialog, anchor.id);
    if (moves)
      moves = DeferWindowPos(moves, control, nullptr, place.left, place.top, place.right - place.left,
                             place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves) EndDeferWindowPos(moves);
  RECT viewClient{};
  GetClientRect(view, &viewClient);
  SendMessageA(view, LVM_SETCOLUMNWIDTH, 0, viewClient.right);
  InvalidateRect(dialog, nullptr, TRUE);
}
