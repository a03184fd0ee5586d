#include "shell/data_paths.h"

#include "support/text/ascii.h"

UserFileNames MakeUserFileNames(const std::optional<std::string>& userName) {
  if (!userName) return {"KQ_SF.PLS", "skyframe.bmp", "flashpage.htm", "searches.xml"};
  return {*userName + ".PLS", *userName + "_skyframe.bmp", *userName + "_flashpage.htm",
          *userName + "_searches.xml"};
}

bool IsProgramDataFolder(const std::string& path) {
  std::string trimmed = path;
  if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  if (trimmed.find('/') != std::string::npos) return false;
  // A relative or dotted path could name something else than it seems.
  if (trimmed.find("\\..") != std::string::npos || trimmed.find("\\.\\") != std::string::npos)
    return false;
  return trimmed.size() > 20 && EndsWithIgnoreCaseAscii(trimmed, "\\Quillmoor\\Skyframe");
}

std::string SettingsSummary(const Settings& s) {
  auto line = [](const char* name, long long value) {
    return std::string(name) + std::to_string(value) + "\n";
  };
  return line("changeAtTime: ", s.ChangeAtTime ? 1 : 0) + line("changeWhen: ", s.ChangeWhen) +
         line("changeAtStartup: ", s.ChangeAtStartup ? 1 : 0) +
         line("paperOrient: ", s.PaperOrient) + line("lastRegularChange: ", s.LastRegularChange) +
         line("appStartTime: ", s.appStartTime) + line("runAtStartup: ", s.RunAtStartup ? 1 : 0) +
         line("showSplashScreen: ", s.ShowSplashScreen ? 1 : 0) +
         line("ShufflePictures: ", s.ShuffleImagelist) +
         line("showThumbnails: ", s.ShowThumbnails) +
         line("indexOfLastImage: ", s.IndexOfLastImage);
}
