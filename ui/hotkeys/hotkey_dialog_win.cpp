#include "ui/hotkeys/hotkey_dialog_win.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "ui/hotkeys/dialog_fade_win.h"
#include "ui/hotkeys/hotkey_choice.h"
#include "ui/hotkeys/hotkey_ids.h"
#include "ui/hotkeys/key_names.h"

namespace {

// The tray's normal icon, which the dialog shows as its own.
constexpr WORD kNormalTrayIconId = 140;

struct ListPair {
  int modifierId;
  int keyId;
};
constexpr std::array<ListPair, kHotKeyFunctionCount> kLists = {{
    {IDC_HOTKEY_NEXT_MOD, IDC_HOTKEY_NEXT_KEY},
    {IDC_HOTKEY_PREV_MOD, IDC_HOTKEY_PREV_KEY},
    {IDC_HOTKEY_PAUSE_MOD, IDC_HOTKEY_PAUSE_KEY},
    {IDC_HOTKEY_SAVE_MOD, IDC_HOTKEY_SAVE_KEY},
    {IDC_HOTKEY_BLANK_MOD, IDC_HOTKEY_BLANK_KEY},
}};

struct DialogState {
  HWND owner = nullptr;
  Settings* workingCopy = nullptr;
  bool changed = false;
  // Set once the fade-out has begun: a second OK or Cancel during the fade
  // would store again or ask about changes that are already stored.
  bool closing = false;
  HotKeyDialogResult result = HotKeyDialogResult::kNotShown;
  DialogFade fade;
};

void FillList(HWND dialog, int id, const KeyNameTable& table, uint32_t selectedCode) {
  HWND list = GetDlgItem(dialog, id);
  for (int32_t i = 0; i < table.Count(); ++i) {
    const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(table.NameAt(i)->c_str()));
    if (item >= 0) SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(table.CodeAt(i)));
  }
  // -1 (a code outside the table) leaves the list without a selection.
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(ListIndexForCode(table, selectedCode)), 0);
}

std::optional<uint32_t> SelectedCode(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  const LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return std::nullopt;
  const LRESULT data = SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  if (data == CB_ERR) return std::nullopt;
  return static_cast<uint32_t>(data);
}

void Close(HWND dialog, DialogState& state, HotKeyDialogResult result) {
  state.closing = true;
  state.result = result;
  if (!state.fade.OutAndEnd(dialog)) EndDialog(dialog, static_cast<INT_PTR>(result));
}

void OnInit(HWND dialog, DialogState& state) {
  state.changed = false;
  state.result = HotKeyDialogResult::kCancelled;
  if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kNormalTrayIconId))) {
    PostMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  state.fade.In(dialog);
  const HotKeySet keys = HotKeysOf(*state.workingCopy);
  for (size_t i = 0; i < kLists.size(); ++i) FillList(dialog, kLists[i].keyId, KeyTable(), keys[i].key);
  for (size_t i = 0; i < kLists.size(); ++i) {
    FillList(dialog, kLists[i].modifierId, DialogModifierTable(), keys[i].modifier);
  }
}

void OnOk(HWND dialog, DialogState& state) {
  HotKeySelections selections;
  for (size_t i = 0; i < kLists.size(); ++i) {
    selections[i] = {SelectedCode(dialog, kLists[i].modifierId), SelectedCode(dialog, kLists[i].keyId)};
  }
  if (StoreSelections(selections, *state.workingCopy) == HotKeyVerdict::kSameNextAndPrevious) {
    MessageBoxA(dialog,
                "You have assigned the same key combination to both functions.\n\n"
                "Please use different combinations for each.",
                "Error", MB_ICONINFORMATION);
    return;
  }
  if (state.owner) SendMessageA(state.owner, kHotKeysChangedMessage, 0, 0);
  Close(dialog, state, HotKeyDialogResult::kStored);
}

void OnCancel(HWND dialog, DialogState& state) {
  if (state.changed &&
      MessageBoxA(dialog, "Are you sure you want to lose your changes?", "Are you sure?", MB_YESNO | MB_ICONQUESTION) !=
          IDYES) {
    return;
  }
  Close(dialog, state, HotKeyDialogResult::kCancelled);
}

bool IsOneOfTheLists(int id) { return id >= IDC_HOTKEY_NEXT_MOD && id <= IDC_HOTKEY_BLANK_KEY; }

INT_PTR CALLBACK HotKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    OnInit(dialog, *reinterpret_cast<DialogState*>(lParam));
    return TRUE;
  }
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!state) return FALSE;
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (state->closing) return TRUE;
  if (id == IDOK) {
    OnOk(dialog, *state);
  } else if (id == IDCANCEL) {
    OnCancel(dialog, *state);
  } else if (IsOneOfTheLists(id) && code == CBN_SELCHANGE) {
    state->changed = true;
  } else {
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HotKeyDialogResult ShowHotKeyDialog(HWND owner, Settings& workingCopy) {
  // The state, fader included, outlives the window: the fader's subclass may
  // still be on the stack while the window is being destroyed.
  auto state = std::make_unique<DialogState>();
  state->owner = owner;
  state->workingCopy = &workingCopy;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HOTKEYS), owner,
                                        HotKeyDialogProc, reinterpret_cast<LPARAM>(state.get()));
  // The end code is not used: after a fade the fader chooses it.
  return state->result;
}
