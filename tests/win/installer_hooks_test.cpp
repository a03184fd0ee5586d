// The installer's "/initialsecurity" and "/uninstall" runs of the real program.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

constexpr const char* kAppDataRecords = "Software\\Quillmoor\\Skyframe\\AppData";
constexpr const char* kLocalRecords = "Software\\Quillmoor\\Skyframe\\LocalAppData";

class InstallerHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    victim = ShellFolder(CSIDL_PERSONAL) + "\\skyframe-victim";
    CreateDirectoryA(victim.c_str(), nullptr);
    std::FILE* f = std::fopen((victim + "\\precious.txt").c_str(), "wb");
    std::fputs("keep me", f);
    std::fclose(f);
  }
  void TearDown() override {
    StopRunningInstances();
    DeleteFileA((victim + "\\precious.txt").c_str());
    RemoveDirectoryA(victim.c_str());
  }
  std::string victim;
};

TEST_F(InstallerHooksTest, InitialSecurityCreatesAndRegistersBothFoldersOnce) {
  RunningProgram run("/initialsecurity");
  EXPECT_EQ(run.WaitForExit(), 0u);
  EXPECT_TRUE(FolderExists(DataFolder()));
  EXPECT_TRUE(FolderExists(LocalDataFolder()));
  EXPECT_EQ(GetString(UserName().c_str(), HKEY_LOCAL_MACHINE, kAppDataRecords), DataFolder());
  EXPECT_EQ(GetString(UserName().c_str(), HKEY_LOCAL_MACHINE, kLocalRecords), LocalDataFolder());

  // An existing folder is left alone and not registered again.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAppDataRecords);
  RunningProgram again("/INITIALSECURITY");
  EXPECT_EQ(again.WaitForExit(), 0u);
  EXPECT_FALSE(GetString(UserName().c_str(), HKEY_LOCAL_MACHINE, kAppDataRecords).has_value());
}

TEST_F(InstallerHooksTest, UninstallDeletesOnlyTheProgramsFoldersAndNeverFollowsLinks) {
  RunningProgram setup("/initialsecurity");
  ASSERT_EQ(setup.WaitForExit(), 0u);
  // Some content, a read-only file and a subfolder.
  CreateDirectoryA((DataFolder() + "sub").c_str(), nullptr);
  std::FILE* f = std::fopen((DataFolder() + "sub\\list.pls").c_str(), "wb");
  std::fputs("x", f);
  std::fclose(f);
  SetFileAttributesA((DataFolder() + "sub\\list.pls").c_str(), FILE_ATTRIBUTE_READONLY);
  // A link inside the data folder to a folder outside it.
  const std::string link = DataFolder() + "link";
  const bool linked = MakeDirectoryLink(link, victim);
  // A planted value naming a folder that is not the program's.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppDataRecords, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "mallory", 0, REG_SZ, reinterpret_cast<const BYTE*>(victim.c_str()),
                 static_cast<DWORD>(victim.size()));
  RegCloseKey(key);

  RunningProgram uninstall("/uninstall");
  EXPECT_EQ(uninstall.WaitForExit(), 0u);
  EXPECT_EQ(ReadFileBytes(victim + "\\precious.txt"), "keep me") << (linked ? "through the link" : "planted value");
  // Wine cannot remove a link that the host made, so the data folder may keep
  // that link alone; everything else is gone.
  EXPECT_FALSE(FileExists(DataFolder() + "sub\\list.pls"));
  EXPECT_FALSE(FolderExists(DataFolder() + "sub"));
  RemoveLink(link);
  RemoveDirectoryA(DataFolder().c_str());
  EXPECT_FALSE(FolderExists(LocalDataFolder()));
  HKEY gone;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppDataRecords, 0, KEY_READ, &gone), ERROR_SUCCESS);
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLocalRecords, 0, KEY_READ, &gone), ERROR_SUCCESS);
  EXPECT_TRUE(linked) << "no directory link could be made, so the link case was not exercised";
}

TEST_F(InstallerHooksTest, UninstallEndsARunningInstance) {
  RunningProgram program;
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([] { return GetDword("CrashFlag") == 0u; }));
  RunningProgram uninstall("/uninstall");
  // The uninstall run first waits up to 15 s for the instance to end by itself.
  EXPECT_EQ(program.WaitForExit(25000), 0u);
  EXPECT_EQ(uninstall.WaitForExit(25000), 0u);
  EXPECT_EQ(GetDword("CrashFlag"), 0u);
}

}  // namespace
