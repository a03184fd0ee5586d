#include "ui/settings/internet_page_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include "imagelist/file_util.h"
#include "ui/settings/dialog_controls_win.h"
#include "ui/settings/page_choices.h"
#include "ui/settings/page_fields.h"
#include "ui/settings/settings_dialog_ids.h"

namespace {

const EngineChoice* FindEngine(const std::vector<EngineChoice>& engines, int32_t id) {
  for (const EngineChoice& e : engines)
    if (static_cast<int64_t>(e.id) == id) return &e;
  return nullptr;
}

}  // namespace

void ShowFolderNotWritable(HWND owner) {
  MessageBoxA(owner,
              "The folder you have selected cannot be written to.\nThe folder is either invalid, the disk is full, or\n"
              "you do not have permission to write to it.\n\nPlease select another folder or leave this field\n"
              "blank and the \"My Pictures\" folder will be\nselected automatically.",
              "Cannot write to folder!", MB_OK | MB_ICONEXCLAMATION);
}

void InternetPage::Fill() {
  const Settings& s = host.WorkingCopy();
  const char separator = host.DecimalSeparator();
  for (const PageChoice& c : kFilterChoices) AddItem(IDC_NET_FILTER, c.text, c.value);
  SelectData(IDC_NET_FILTER, s.FilterType);

  for (const char* w : kWidthChoices) AddItem(IDC_NET_MIN_WIDTH, w, 0);
  for (const char* h : kHeightChoices) AddItem(IDC_NET_MIN_HEIGHT, h, 0);
  for (char digit : {'3', '6', '8'}) {
    const char item[] = {'0', separator, digit, 0};
    AddItem(IDC_NET_MEGAPIXELS, item, 0);
  }
  for (const char* whole : {"1", "2", "3", "4"}) AddItem(IDC_NET_MEGAPIXELS, whole, 0);
  SetText(IDC_NET_MIN_WIDTH, std::to_string(s.MinImageWidth));
  SetText(IDC_NET_MIN_HEIGHT, std::to_string(s.MinImageHeight));
  SetText(IDC_NET_MEGAPIXELS, FormatMegapixels(s.MinPixels, separator));

  Check(IDC_NET_GROUP_RESULTS, s.GroupResults);
  Check(IDC_NET_BLOCK_EXPLICIT, s.BlockExplicit);
  const std::vector<EngineChoice> engines = host.Services().Engines();
  const EngineChoice* engine = FindEngine(engines, s.EngineIndex);
  Enable(IDC_NET_BLOCK_EXPLICIT, engine && engine->capabilities[0] != 0);
  Enable(IDC_NET_GROUP_RESULTS, engine && engine->capabilities[1] != 0);

  SendDlgItemMessageA(window, IDC_NET_HISTORY_SPIN, UDM_SETRANGE32, kHistorySizeMin, kHistorySizeMax);
  SendDlgItemMessageA(window, IDC_NET_CACHE_SPIN, UDM_SETRANGE32, kCacheMegabytesMin, kCacheMegabytesMax);
  // Longer numbers than the ranges' would only be clamped.
  SendDlgItemMessageA(window, IDC_NET_HISTORY_SIZE, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(window, IDC_NET_CACHE_SIZE, EM_LIMITTEXT, 4, 0);
  SetText(IDC_NET_HISTORY_SIZE, std::to_string(HistorySizeShown(s.HistorySize)));
  SetText(IDC_NET_CACHE_SIZE, std::to_string(CacheMegabytesShown(s.CacheSize)));

  CheckRadioButton(window, IDC_NET_ASK_EACH_TIME, IDC_NET_SAVE_TO_FOLDER,
                   s.AskWhereToSave ? IDC_NET_ASK_EACH_TIME : IDC_NET_SAVE_TO_FOLDER);
  SetText(IDC_NET_SAVE_FOLDER, s.WallpaperSavePath);
  Enable(IDC_NET_SAVE_FOLDER, !s.AskWhereToSave);

  Tip(IDC_NET_FILTER, "Only retrieve images matching these criteria");
  Tip(IDC_NET_MIN_WIDTH, "Minimum acceptable width for wallpaper");
  Tip(IDC_NET_MIN_HEIGHT, "Minimum acceptable height for wallpaper");
  Tip(IDC_NET_GROUP_RESULTS, "Skip images from a similar source");
  Tip(IDC_NET_BLOCK_EXPLICIT, "Attempt to block explicit images");
  Tip(IDC_NET_CLEAR_HISTORY, "Clear search/URL history");
  Tip(IDC_NET_CLEAR_CACHE, "Clear image cache");
  Tip(IDC_NET_ASK_EACH_TIME, "Ask where to save wallpapers each time you decide to save.");
  Tip(IDC_NET_SAVE_TO_FOLDER, "Save wallpapers to the following folder when you decide to save.");
  Tip(IDC_NET_BROWSE, "Browse for the folder you want to save to");
  ShowForFilter();
}

void InternetPage::ShowForFilter() {
  const LPARAM filter = SelectedData(IDC_NET_FILTER, 0);
  Show(IDC_NET_ALL_LABEL, filter == 0);
  for (int id : {IDC_NET_MIN_WIDTH, IDC_NET_MIN_HEIGHT, IDC_NET_X_LABEL, IDC_NET_WIDTH_LABEL, IDC_NET_HEIGHT_LABEL})
    Show(id, filter == 1);
  for (int id : {IDC_NET_MINIMUM_LABEL, IDC_NET_MEGAPIXELS, IDC_NET_MEGAPIXELS_LABEL}) Show(id, filter == 2);
}

void InternetPage::CleanNumber(int id, bool decimal) {
  const std::string text = Text(id);
  bool removed = false;
  const std::string cleaned = decimal ? KeepDecimal(text, host.DecimalSeparator(), removed) : KeepDigits(text, removed);
  if (removed) PutBackCleaned(Item(id), cleaned);
}

void InternetPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_NET_FILTER:
      if (code != CBN_SELCHANGE) return;
      ShowForFilter();
      Changed();
      return;
    case IDC_NET_MIN_WIDTH:
    case IDC_NET_MIN_HEIGHT:
    case IDC_NET_MEGAPIXELS:
      if (code == CBN_EDITCHANGE) {
        if (!Filling()) CleanNumber(id, id == IDC_NET_MEGAPIXELS);
        Changed();
      } else if (code == CBN_SELCHANGE) {
        Changed();
      }
      return;
    case IDC_NET_HISTORY_SIZE:
    case IDC_NET_CACHE_SIZE:
      if (code != EN_CHANGE) return;
      if (!Filling()) CleanNumber(id, false);
      Changed();
      return;
    case IDC_NET_GROUP_RESULTS:
    case IDC_NET_BLOCK_EXPLICIT:
      if (code == BN_CLICKED) Changed();
      return;
    case IDC_NET_ASK_EACH_TIME:
    case IDC_NET_SAVE_TO_FOLDER:
      if (code != BN_CLICKED) return;
      CheckRadioButton(window, IDC_NET_ASK_EACH_TIME, IDC_NET_SAVE_TO_FOLDER, id);
      Enable(IDC_NET_SAVE_FOLDER, id == IDC_NET_SAVE_TO_FOLDER);
      Changed();
      return;
    case IDC_NET_SAVE_FOLDER:
      if (code == EN_CHANGE) Changed();
      return;
    case IDC_NET_CLEAR_HISTORY:
      if (code == BN_CLICKED) ClearHistory();
      return;
    case IDC_NET_CLEAR_CACHE:
      if (code == BN_CLICKED) ClearCache();
      return;
    case IDC_NET_BROWSE:
      if (code == BN_CLICKED) Browse();
      return;
  }
}

void InternetPage::ClearHistory() {
  if (MessageBoxA(window,
                  "Are you sure?\n\nNOTE: Clearing the history will lose your\n\"place\" in your previous searches.  "
                  "Those\nsearches will have to be started over again.",
                  "Are you sure", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  const Settings& s = host.WorkingCopy();
  host.Services().ClearHistory(s.EngineIndex == 0, ParseHistorySize(Text(IDC_NET_HISTORY_SIZE)));
  MessageBoxA(window, "History cleared.", "History cleared", MB_OK | MB_ICONINFORMATION);
}

void InternetPage::ClearCache() {
  if (MessageBoxA(window,
                  "Are you sure?\n\nNOTE: Clearing the cache will lose your\n\"place\" in your searches.  Any new "
                  "searches\nwill have to be started fresh.",
                  "Are you sure?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  host.Services().ClearCache();
  MessageBoxA(window, "Cache cleared.", "Cache cleared", MB_OK | MB_ICONINFORMATION);
}

void InternetPage::Browse() {
  std::string folder;
  if (BrowseForFolder(window, "Select a Folder", BIF_RETURNONLYFSDIRS, folder) != FolderChoice::kChosen) return;
  if (!FolderIsWritable(folder)) {
    ShowFolderNotWritable(window);
    return;
  }
  SetText(IDC_NET_SAVE_FOLDER, folder);
  Changed();
}

INT_PTR InternetPage::OnLeave() {
  Settings& s = host.WorkingCopy();
  const std::string folder = Text(IDC_NET_SAVE_FOLDER);
  if (!folder.empty() && !FolderIsWritable(folder)) {
    ShowFolderNotWritable(window);
    return 1;
  }
  s.WallpaperSavePath = folder.empty() ? host.Services().PicturesFolder() : folder;
  s.AskWhereToSave = Checked(IDC_NET_ASK_EACH_TIME);
  s.BlockExplicit = Checked(IDC_NET_BLOCK_EXPLICIT);
  s.GroupResults = Checked(IDC_NET_GROUP_RESULTS);
  const char separator = host.DecimalSeparator();
  bool removed = false;
  s.MinImageWidth = ParseUnsigned(KeepDigits(Text(IDC_NET_MIN_WIDTH), removed), kDefaultMinWidth);
  s.MinImageHeight = ParseUnsigned(KeepDigits(Text(IDC_NET_MIN_HEIGHT), removed), kDefaultMinHeight);
  s.MinPixels = ParseMegapixels(KeepDecimal(Text(IDC_NET_MEGAPIXELS), separator, removed), separator);
  s.FilterType = static_cast<int32_t>(SelectedData(IDC_NET_FILTER, s.FilterType));
  s.HistorySize = ParseHistorySize(KeepDigits(Text(IDC_NET_HISTORY_SIZE), removed));
  // The history itself is trimmed and saved when the settings are applied.
  s.CacheSize = ParseCacheSize(KeepDigits(Text(IDC_NET_CACHE_SIZE), removed));
  return 0;
}
