#pragma once
// Resource, command, timer and hot-key ids of the tray layer.
// Plain defines: the resource compiler reads this file too.

// Icons.
#define IDI_TRAY_NORMAL 140
#define IDI_TRAY_PAUSED 185
#define IDI_TRAY_FRAME_1 180
#define IDI_TRAY_FRAME_2 181
#define IDI_TRAY_FRAME_3 182
#define IDI_TRAY_FRAME_4 183
#define IDI_TRAY_FRAME_5 184
#define IDI_TRAY_FRAME_6 179

// The quick-entry box for the search text.
#define IDD_QUICK_ENTRY 171
#define IDC_QUICK_ENTRY_TEXT 1041

// Tray menu commands.
#define IDM_TRAY_EXIT 100
#define IDM_TRAY_SETTINGS 101
#define IDM_TRAY_SUPPORT 103
#define IDM_TRAY_NEXT 106
#define IDM_TRAY_PREVIOUS 107
#define IDM_TRAY_PAUSE 108
#define IDM_TRAY_SAVE 109
#define IDM_TRAY_BLANK 110
#define IDM_TRAY_BLOCK 111
#define IDM_TRAY_SEARCH_TEXT 112

// The tray icon's animation period (its timer ids are in shell/ids/timer_ids.h).
#define TRAY_ANIMATION_PERIOD_MS 60

// Hot-key ids registered on the main window.
#define HOTKEY_NEXT 1
#define HOTKEY_PREVIOUS 2
#define HOTKEY_PAUSE 3
#define HOTKEY_SAVE 4
#define HOTKEY_BLANK 5
