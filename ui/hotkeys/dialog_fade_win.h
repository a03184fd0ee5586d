#pragma once
// The hot-key dialog's fade in and out, behind one small owner so that the
// dialog does not depend on how the window fader is put together.
#include <windows.h>

#include <memory>

class WindowFader;

class DialogFade {
 public:
  DialogFade();
  ~DialogFade();
  DialogFade(const DialogFade&) = delete;
  DialogFade& operator=(const DialogFade&) = delete;

  // 300 ms in 10 ms steps; false when the window cannot be faded (it then simply shows).
  bool In(HWND dialog);
  // 300 ms in 10 ms steps, ending the dialog with EndDialog once faded out;
  // false when no fade runs, and the caller must end the dialog itself.
  bool OutAndEnd(HWND dialog);

 private:
  std::unique_ptr<WindowFader> fader_;
};
