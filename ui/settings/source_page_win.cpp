#include "ui/settings/source_page_win.h"

#include "ui/settings/dialog_controls_win.h"
#include "ui/settings/page_fields.h"
#include "ui/settings/settings_dialog_ids.h"

namespace {

INT_PTR CALLBACK NoteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool SourcePage::AddressMode() const { return Checked(IDC_SRC_ADDRESS); }

void SourcePage::Fill() {
  host.Services().ReloadHistory();
  const Settings& s = host.WorkingCopy();
  CheckRadioButton(window, IDC_SRC_FROM_COMPUTER, IDC_SRC_FROM_INTERNET,
                   s.GetImageFromInternet ? IDC_SRC_FROM_INTERNET : IDC_SRC_FROM_COMPUTER);
  CheckRadioButton(window, IDC_SRC_KEYWORDS, IDC_SRC_ADDRESS, s.EngineIndex == 0 ? IDC_SRC_ADDRESS : IDC_SRC_KEYWORDS);
  // The registry never gives back a longer text.
  SendDlgItemMessageA(window, IDC_SRC_TEXT, CB_LIMITTEXT, kMaxSearchTextBytes, 0);
  FillHistory();
  SetText(IDC_SRC_TEXT, s.InternetString);
  Check(IDC_SRC_SHUFFLE, s.ShuffleImagelist != 0);
  for (const EngineChoice& engine : host.Services().Engines())
    if (engine.id != 0) AddItem(IDC_SRC_SITE, engine.name.c_str(), static_cast<LPARAM>(engine.id));
  SelectData(IDC_SRC_SITE, s.DefaultEngine);
  MakeClickable(Item(IDC_SRC_NOTE_LINK), kClickableNormalColor, kClickableHoverColor);
  EnableForSource();
}

void SourcePage::FillHistory() {
  HWND box = Item(IDC_SRC_TEXT);
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  const bool addresses = AddressMode();
  const std::vector<std::string> entries = host.Services().HistoryEntries(addresses);
  for (const std::string& entry : entries) SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  if (!entries.empty()) {
    const Settings& s = host.WorkingCopy();
    // The setting's own text when it is of the kind shown, else the newest entry.
    const bool settingIsAddress = s.EngineIndex == 0;
    SetWindowTextA(box, settingIsAddress == addresses ? s.InternetString.c_str() : entries.front().c_str());
  } else {
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
  }
}

void SourcePage::EnableForSource() {
  const bool internet = Checked(IDC_SRC_FROM_INTERNET);
  for (int id : {IDC_SRC_ADDRESS, IDC_SRC_KEYWORDS, IDC_SRC_TEXT, IDC_SRC_OR_LABEL}) Enable(id, internet);
  Enable(IDC_SRC_SITE, internet && !AddressMode());
  Enable(IDC_SRC_SITE_LABEL, internet && !AddressMode());
  const bool selectable = !internet && host.Services().CanSelectImages();
  Enable(IDC_SRC_SELECT_IMAGES, selectable);
  Enable(IDC_SRC_SHUFFLE, !internet);
}

void SourcePage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_SRC_FROM_INTERNET:
    case IDC_SRC_FROM_COMPUTER:
      if (code != BN_CLICKED) return;
      CheckRadioButton(window, IDC_SRC_FROM_COMPUTER, IDC_SRC_FROM_INTERNET, id);
      EnableForSource();
      host.ShowInternetPage(id == IDC_SRC_FROM_INTERNET);
      Changed();
      return;
    case IDC_SRC_ADDRESS:
    case IDC_SRC_KEYWORDS:
      if (code != BN_CLICKED) return;
      CheckRadioButton(window, IDC_SRC_KEYWORDS, IDC_SRC_ADDRESS, id);
      EnableForSource();
      Changed();
      return;
    case IDC_SRC_TEXT:
      if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) Changed();
      return;
    case IDC_SRC_SITE:
      if (code == CBN_SELCHANGE) Changed();
      return;
    case IDC_SRC_SHUFFLE:
      if (code == BN_CLICKED) Changed();
      return;
    case IDC_SRC_SELECT_IMAGES:
      if (code == BN_CLICKED) host.Services().SelectImages(GetParent(window));
      return;
    case IDC_SRC_NOTE_LINK:
      if (code == STN_CLICKED)
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_IMPORTANT_NOTE), GetParent(window), &NoteProc,
                        0);
      return;
  }
}

INT_PTR SourcePage::OnLeave() {
  Settings& s = host.WorkingCopy();
  s.ShuffleImagelist = Checked(IDC_SRC_SHUFFLE) ? 1 : 0;
  s.GetImageFromInternet = Checked(IDC_SRC_FROM_INTERNET);
  s.DefaultEngine = static_cast<int32_t>(SelectedData(IDC_SRC_SITE, s.DefaultEngine));
  s.EngineIndex = AddressMode() ? 0 : s.DefaultEngine;
  s.InternetString = TruncateUtf8(Text(IDC_SRC_TEXT), kMaxSearchTextBytes);
  return 0;
}
