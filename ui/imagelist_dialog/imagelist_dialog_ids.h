#pragma once
// Template and control ids of "Select Images".
#define IDD_SELECT_IMAGES 131
#define IDC_IL_ADD_FILES 3
#define IDC_IL_REMOVE 4
#define IDC_IL_CLEAR 5
#define IDC_IL_ADD_FOLDER 6
#define IDC_IL_UP 1011
#define IDC_IL_DOWN 1012
#define IDC_IL_SET_WALLPAPER 1023
#define IDC_IL_THUMBNAIL 1024
#define IDC_IL_SHOW_THUMBNAIL 1082
#define IDC_IL_LIST 1103
#define IDC_IL_COUNT 1110
#define IDC_IL_SAVE 1115
#define IDC_IL_LOAD 1116
#define IDC_IL_FILES_LABEL 1117
#define IDC_IL_INSTRUCTION 1118
