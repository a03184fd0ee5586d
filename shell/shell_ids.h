#pragma once
// Resource and control ids of the shell's own dialogs.
#define IDD_ABNORMAL_SHUTDOWN 155
#define IDC_DONT_ASK_AGAIN 1025
#define IDC_ERROR_ICON 1090
