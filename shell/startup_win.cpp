#include "shell/startup_win.h"

#include "shell/application_win.h"

int RunProgram(HINSTANCE instance, int showCommand) {
  Application app(instance);
  return app.Run(showCommand);
}
