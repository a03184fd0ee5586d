#include <gtest/gtest.h>

#include "shell/command_line.h"
#include "shell/data_paths.h"

namespace {

TEST(CommandLine, FirstMatchingOptionWins) {
  const struct { const char* line; StartMode mode; } cases[] = {
      {"\"C:\\Program Files\\Skyframe\\Skyframe.exe\"", StartMode::Normal},
      {"Skyframe.exe /c", StartMode::Configure},
      {"Skyframe.exe /C", StartMode::Configure},
      {"Skyframe.exe /uninstall /c", StartMode::Configure},   // "/c" ignores the rest
      {"Skyframe.exe /UNINSTALL", StartMode::Uninstall},
      {"Skyframe.exe /InitialSecurity", StartMode::InitialSecurity},
      {"Skyframe.exe /uninstall /initialsecurity", StartMode::Uninstall},
      {"", StartMode::Normal},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCommandLine(c.line), c.mode) << c.line;
}

TEST(DataPaths, UserFileNamesWithAndWithoutUserName) {
  const UserFileNames named = MakeUserFileNames(std::string("Ann"));
  EXPECT_EQ(named.imageList, "Ann.PLS");
  EXPECT_EQ(named.wallpaperBitmap, "Ann_skyframe.bmp");
  EXPECT_EQ(named.flashPage, "Ann_flashpage.htm");
  EXPECT_EQ(named.searchHistory, "Ann_searches.xml");
  const UserFileNames anonymous = MakeUserFileNames(std::nullopt);
  EXPECT_EQ(anonymous.imageList, "KQ_SF.PLS");
  EXPECT_EQ(anonymous.wallpaperBitmap, "skyframe.bmp");
  EXPECT_EQ(anonymous.flashPage, "flashpage.htm");
  EXPECT_EQ(anonymous.searchHistory, "searches.xml");
}

TEST(DataPaths, OnlyTheProgramsOwnFoldersMayBeDeleted) {
  const struct { const char* path; bool allowed; } cases[] = {
      {"C:\\users\\ann\\AppData\\Roaming\\Quillmoor\\Skyframe\\", true},
      {"C:\\users\\ann\\AppData\\Local\\Quillmoor\\Skyframe", true},
      {"c:\\users\\ann\\appdata\\local\\QUILLMOOR\\SKYFRAME\\", true},
      {"C:\\Windows", false},
      {"C:\\", false},
      {"", false},
      {"C:\\users\\ann\\Documents", false},
      {"C:\\Quillmoor\\Skyframe\\..\\..\\Windows\\Quillmoor\\Skyframe\\..", false},
      {"C:\\x\\..\\Quillmoor\\Skyframe", false},
      {"\\Quillmoor\\Skyframe", false},
      {"C:\\users\\ann\\Quillmoor\\SkyframeData", false},
      {"C:\\users\\ann\\NotQuillmoor\\Skyframe\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProgramDataFolder(c.path), c.allowed) << c.path;
}

TEST(DataPaths, SettingsSummaryHasElevenLinesInOrder) {
  Settings s;
  s.LastRegularChange = 1700000000;
  s.IndexOfLastImage = 4;
  EXPECT_EQ(SettingsSummary(s),
            "changeAtTime: 1\nchangeWhen: 5\nchangeAtStartup: 0\npaperOrient: 10\n"
            "lastRegularChange: 1700000000\nappStartTime: 0\nrunAtStartup: 1\n"
            "showSplashScreen: 1\nShufflePictures: 1\nshowThumbnails: 1\nindexOfLastImage: 4\n");
}

}  // namespace
