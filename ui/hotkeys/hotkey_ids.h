#pragma once
// Resource and control ids of the "Configure Hotkeys" dialog.
#define IDD_HOTKEYS 143
// Modifier and key drop-down lists, one pair per function, in row order.
#define IDC_HOTKEY_NEXT_MOD 1006
#define IDC_HOTKEY_NEXT_KEY 1007
#define IDC_HOTKEY_PREV_MOD 1008
#define IDC_HOTKEY_PREV_KEY 1009
#define IDC_HOTKEY_PAUSE_MOD 1010
#define IDC_HOTKEY_PAUSE_KEY 1011
#define IDC_HOTKEY_SAVE_MOD 1012
#define IDC_HOTKEY_SAVE_KEY 1013
#define IDC_HOTKEY_BLANK_MOD 1014
#define IDC_HOTKEY_BLANK_KEY 1015
