#include "shell/tray/tests/program_stand_ins_win.h"

#include "shell/startup_win.h"
#include "wallpaper/pipeline/change_pipeline_win.h"

namespace stand_in {
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
std::string CallLine() {
  std::string line;
  for (const std::string& c : Calls()) line += (line.empty() ? "" : " ") + c;
  return line;
}
}  // namespace stand_in

namespace {
void Record(std::string call) { stand_in::Calls().push_back(std::move(call)); }
const char* Variant(bool hotKey) { return hotKey ? "(hot key)" : "(menu)"; }
}  // namespace

void ChangeWallpaper(bool stampTime, bool forward, bool interactive, const std::optional<std::string>& path) {
  Record(std::string("Change(") + (stampTime ? "1" : "0") + (forward ? "1" : "0") + (interactive ? "1" : "0") +
         (path ? "," + *path : "") + ")");
}
void NextImageCommand(bool hotKey) { Record(std::string("Next") + Variant(hotKey)); }
void PreviousImageCommand(bool hotKey) { Record(std::string("Previous") + Variant(hotKey)); }
void SaveWallpaperCommand(bool hotKey) { Record(std::string("Save") + Variant(hotKey)); }
void BlockImageCommand() { Record("Block"); }
void BlankOrRestoreCommand() { Record("Blank"); }
void ReloadPlayOrderList() { Record("Reload"); }
void ResetEndOfResultsCount() { Record("ResetWraps"); }
void ArmScheduler() { Record("Arm"); }
