#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <map>

#include "shell/paths_win.h"
#include "support/tests/temp_dir.h"

namespace {

// A shell that names folders inside a temporary folder, and fails where told.
struct FakeShell {
  std::map<int, std::string> folders;
  std::optional<std::string> user;
  ShellFolderSource Source() {
    ShellFolderSource s;
    s.folder = [this](int csidl) -> std::optional<std::string> {
      auto it = folders.find(csidl);
      if (it == folders.end()) return std::nullopt;
      CreateDirectoryA(it->second.c_str(), nullptr);
      return it->second;
    };
    s.userName = [this] { return user; };
    s.programPath = [] { return std::string("C:\\Program Files\\Skyframe\\Skyframe.exe"); };
    return s;
  }
};

class SetupPathsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProgramKey); }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProgramKey); }
  std::string Win(const std::string& name) {
    std::string p = dir.File(name);
    for (char& c : p)
      if (c == '/') c = '\\';
    return p;
  }
  TempDir dir;
};

TEST_F(SetupPathsTest, EveryPathFromTheShellFoldersAndTheUserName) {
  FakeShell shell;
  shell.folders = {{CSIDL_APPDATA, Win("roaming")}, {CSIDL_LOCAL_APPDATA, Win("local")},
                   {CSIDL_MYPICTURES, Win("pics")}, {CSIDL_PERSONAL, Win("docs")}};
  shell.user = "ann";
  AppPaths paths;
  Settings settings;
  SetupPaths(paths, settings, shell.Source());
  const std::string roaming = Win("roaming") + "\\Quillmoor\\Skyframe\\";
  const std::string local = Win("local") + "\\Quillmoor\\Skyframe\\";
  EXPECT_EQ(paths.programFolder, "C:\\Program Files\\Skyframe\\");
  EXPECT_EQ(paths.helpFilePath, "C:\\Program Files\\Skyframe\\SF_Help.chm");
  EXPECT_EQ(paths.skinPath, "C:\\Program Files\\Skyframe\\statpop_skin.png");
  EXPECT_EQ(paths.appDataFolder, roaming);
  EXPECT_EQ(paths.localDataFolder, local);
  EXPECT_EQ(paths.pluginDataFolder, local + "Fetchpix");
  EXPECT_EQ(paths.errorFolder, local + "Error\\");
  EXPECT_EQ(paths.listFilePath, roaming + "ann.PLS");
  EXPECT_EQ(paths.wallpaperBitmapPath, roaming + "ann_skyframe.bmp");
  EXPECT_EQ(paths.flashPagePath, roaming + "ann_flashpage.htm");
  EXPECT_EQ(paths.historyFilePath, local + "ann_searches.xml");
  EXPECT_EQ(paths.picturesFolder, Win("pics"));
  EXPECT_EQ(settings.WallpaperSavePath, Win("pics"));
  const DWORD attributes = GetFileAttributesA(roaming.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_NE(GetFileAttributesA((local + "Fetchpix").c_str()), INVALID_FILE_ATTRIBUTES);
  // New folders are recorded for the uninstaller, under the Windows user name.
  char value[1024] = {}, user[257] = {};
  DWORD size = sizeof value, userSize = sizeof user;
  GetUserNameA(user, &userSize);
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Quillmoor\\Skyframe\\LocalAppData", user, RRF_RT_REG_SZ,
                         nullptr, value, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(value), local);

  // A second start finds the folders and records nothing again.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProgramKey);
  AppPaths again;
  SetupPaths(again, settings, shell.Source());
  HKEY key;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quillmoor\\Skyframe\\AppData", 0, KEY_READ, &key),
            ERROR_SUCCESS);
}

TEST_F(SetupPathsTest, FallbacksWithoutLocalFolderUserNameOrPictures) {
  FakeShell shell;
  shell.folders = {{CSIDL_APPDATA, Win("roaming")}, {CSIDL_PERSONAL, Win("docs")}};
  AppPaths paths;
  Settings settings;
  settings.WallpaperSavePath = "D:\\kept";
  SetupPaths(paths, settings, shell.Source());
  const std::string roaming = Win("roaming") + "\\Quillmoor\\Skyframe\\";
  // Without a local folder everything local lies in the roaming one.
  EXPECT_EQ(paths.localDataFolder, roaming);
  EXPECT_EQ(paths.pluginDataFolder, roaming + "Fetchpix");
  EXPECT_EQ(paths.errorFolder, roaming + "Error\\");
  EXPECT_EQ(paths.historyFilePath, roaming + "searches.xml");
  EXPECT_EQ(paths.listFilePath, roaming + "KQ_SF.PLS");
  EXPECT_EQ(paths.wallpaperBitmapPath, roaming + "skyframe.bmp");
  EXPECT_EQ(paths.flashPagePath, roaming + "flashpage.htm");
  // My Documents stands in for My Pictures; a stored save folder is kept.
  EXPECT_EQ(paths.picturesFolder, Win("docs"));
  EXPECT_EQ(settings.WallpaperSavePath, "D:\\kept");

  shell.folders.erase(CSIDL_PERSONAL);
  Settings empty;
  AppPaths none;
  SetupPaths(none, empty, shell.Source());
  EXPECT_EQ(none.picturesFolder, "");
  EXPECT_EQ(empty.WallpaperSavePath, "");
}

}  // namespace
