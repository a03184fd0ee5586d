#include <windows.h>

#include "shell/startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return RunProgram(instance, showCommand);
}
