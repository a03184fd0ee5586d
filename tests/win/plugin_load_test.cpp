// The program refuses to run without its own plug-in: missing, incomplete,
// refusing to start, or only found where the library search order would look
// (the working folder) instead of beside the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/win/program_driver_win.h"

using namespace testing_win;

namespace {

std::string BinaryFolder() { return FolderOf(ProgramPath()); }
std::string StubFolder(const char* name) { return BinaryFolder() + "..\\test-fixtures\\" + name + "\\"; }

std::string FreshFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFolderContents(folder);
  return folder;
}

std::string DialogText(HWND dialog) {
  // The box's text is its static control (id 0xFFFF).
  char text[512] = {};
  GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
  return text;
}

class PluginLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StopRunningInstances();
    ResetProgramState();
    SetDword("ShowSplashScreen", 0);
  }
  void TearDown() override { StopRunningInstances(); }
};

TEST_F(PluginLoadTest, AnyPluginButItsOwnEndsTheProgramWithTheBox) {
  const struct {
    const char* name;
    const char* besideProgram;  // a stub's folder under test-fixtures, or null for none
    bool realOneInWorkingFolder;
  } cases[] = {
      {"missing", nullptr, false},
      {"planted in the working folder", nullptr, true},
      {"without IsCritical", "stub-plugin-no-iscritical", false},
      {"InitDll refuses", "stub-plugin-init-refuses", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetProgramState();
    SetDword("ShowSplashScreen", 0);
    const std::string programFolder = FreshFolder("sf-plugin-load-program");
    const std::string workingFolder = FreshFolder("sf-plugin-load-cwd");
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), (programFolder + "Skyframe.exe").c_str(), FALSE));
    if (c.besideProgram) {
      ASSERT_TRUE(CopyFileA((StubFolder(c.besideProgram) + "Fetchpix.dll").c_str(),
                            (programFolder + "Fetchpix.dll").c_str(), FALSE));
    }
    if (c.realOneInWorkingFolder) {
      ASSERT_TRUE(CopyFileA((BinaryFolder() + "Fetchpix.dll").c_str(), (workingFolder + "Fetchpix.dll").c_str(),
                            FALSE));
    }

    RunningProgram program(programFolder + "Skyframe.exe", "", workingFolder);
    ASSERT_TRUE(program.Started());
    const HWND box = program.WaitForTopWindow("ERROR", "#32770");
    ASSERT_TRUE(box);
    EXPECT_EQ(DialogText(box), "Unable to load Fetchpix.DLL!\nPlease re-install the application.");
    EXPECT_FALSE(program.MainWindow()) << "the box comes before any window";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(), 1u);
    // The run ended in its start-up phase: the next start is to hear of it.
    EXPECT_EQ(GetDword("CrashFlag"), 1u);
    EXPECT_TRUE(LogContains("Cannot load Fetchpix.DLL!"));
  }
}

TEST_F(PluginLoadTest, ItsOwnPluginLoadsEvenWithAnotherInTheWorkingFolder) {
  const std::string workingFolder = FreshFolder("sf-plugin-load-cwd");
  ASSERT_TRUE(CopyFileA((StubFolder("stub-plugin-init-refuses") + "Fetchpix.dll").c_str(),
                        (workingFolder + "Fetchpix.dll").c_str(), FALSE));
  SetDword("GetImageFromInternet", 0);
  RunningProgram program(ProgramPath(), "", workingFolder);
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_FALSE(program.FindTopWindow("ERROR", "#32770"));
  EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
