#pragma once
// Resource ids of the status popup, the splash window and their pictures.
// Plain defines: the resource compiler reads this file too.

#define IDD_SPLASH 135          // splash window, sized and shaped by its skin
#define IDD_STATUS_POPUP 163    // empty borderless popup, sized by its skin
#define IDR_SPLASH_REGION 175   // "BINARY": RGNDATA of the splash picture's outline
