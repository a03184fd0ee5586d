#include "shell/app_win.h"

App& TheApp() {
  static App app;
  return app;
}
