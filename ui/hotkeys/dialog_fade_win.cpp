#include "ui/hotkeys/dialog_fade_win.h"

// SEAM: the window fader is not in the tree yet. Until it is, the dialog
// appears and closes without fading, which is also its behaviour where
// layered windows are missing. Replace the bodies below with WindowFader
// calls: In -> FadeIn(dialog, WS_EX_APPWINDOW, 300, 10, false);
// OutAndEnd -> FadeOut(dialog, 0, 300, 10, true, true).
class WindowFader {};

DialogFade::DialogFade() = default;
DialogFade::~DialogFade() = default;

bool DialogFade::In(HWND) { return false; }

bool DialogFade::OutAndEnd(HWND) { return false; }
