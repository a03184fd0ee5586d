#include "ui/hotkeys/dialog_fade_win.h"

#include "ui/fade/window_fader_win.h"

namespace {
constexpr int kFadeMs = 300;
constexpr int kStepMs = 10;
}  // namespace

DialogFade::DialogFade() : fader_(std::make_unique<WindowFader>()) {}
DialogFade::~DialogFade() = default;

// The style is kept after the fade-in: restoring it would drop the taskbar
// button that WS_EX_APPWINDOW has just given the dialog.
bool DialogFade::In(HWND dialog) { return fader_->FadeIn(dialog, WS_EX_APPWINDOW, kFadeMs, kStepMs, false); }

bool DialogFade::OutAndEnd(HWND dialog) { return fader_->FadeOut(dialog, 0, kFadeMs, kStepMs, true, true); }
