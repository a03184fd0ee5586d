#pragma once
// Starts the real Skyframe.exe and looks at what it does: its windows, its
// registry values, its files. Shared by the tests that drive the whole program.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/win/unique_handle_win.h"

namespace testing_win {

inline constexpr const char* kSettingsKey = "Software\\Quillmoor\\Skyframe";

std::string ProgramPath();  // Skyframe.exe beside the test executable
std::string FolderOf(const std::string& path);
std::string ShellFolder(int csidl);
std::string DataFolder();       // roaming %APPDATA%\Quillmoor\Skyframe\ (with slash)
std::string LocalDataFolder();  // %LOCALAPPDATA%\Quillmoor\Skyframe\ (with slash)
std::string UserName();
std::string LogPath();

// Deletes everything inside a folder (the folder stays).
void DeleteFolderContents(const std::string& folder);
// Removes every trace of earlier runs: settings, data-folder records, data folders.
void ResetProgramState();
// Ends any running instance (closes its window, then waits; kills it if it hangs).
void StopRunningInstances();

void SetDword(const char* name, DWORD value, HKEY root = HKEY_CURRENT_USER, const char* key = kSettingsKey);
std::optional<DWORD> GetDword(const char* name, HKEY root = HKEY_CURRENT_USER, const char* key = kSettingsKey);
std::optional<std::string> GetString(const char* name, HKEY root = HKEY_CURRENT_USER, const char* key = kSettingsKey);
void SetString(const char* name, const std::string& value, HKEY root = HKEY_CURRENT_USER,
               const char* key = kSettingsKey);

std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// The wallpaper bitmap the program composes, and what a test reads of it.
std::string WallpaperBitmapPath();
struct Bitmap {
  int width = 0, height = 0;
  uint32_t center = 0;  // 0xRRGGBB
};
// A 24-bit bottom-up BMP's size and middle pixel; none for anything else or a short file.
std::optional<Bitmap> ReadBitmap(const std::string& path);

// Polls `condition` every 20 ms until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

class RunningProgram {
 public:
  explicit RunningProgram(const std::string& arguments = "");
  // A copy of the program elsewhere, started in `workingFolder` (empty: this process's own).
  RunningProgram(const std::string& programPath, const std::string& arguments, const std::string& workingFolder);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_.get(); }
  bool Started() const { return static_cast<bool>(process_); }
  // The exit code once it ends within `timeoutMs`, else none.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 15000);
  // The hidden main window (class and title "Skyframe") of this process.
  HWND MainWindow() const;
  HWND WaitForMainWindow(DWORD timeoutMs = 10000) const;
  // A top-level window of this process with the given title (and class, if given).
  HWND FindTopWindow(const std::string& title, const char* className = nullptr) const;
  HWND WaitForTopWindow(const std::string& title, const char* className = nullptr, DWORD timeoutMs = 10000) const;
  // Any visible top-level window of this process with this class (e.g. "#32770" for dialogs).
  HWND FindVisibleWindowOfClass(const char* className) const;
  // Closes the main window and waits for the process to end; returns its exit code.
  std::optional<DWORD> Close(DWORD timeoutMs = 15000);

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
};

// A directory link at `link` to `target` (a Windows link, or under Wine one made by the host).
bool MakeDirectoryLink(const std::string& link, const std::string& target);
void RemoveLink(const std::string& link);

// Lines of the program's log without their prefixes' time stamps.
std::vector<std::string> LogLines();
bool LogContains(const std::string& text);
// How many times `text` occurs in the log.
size_t LogCount(const std::string& text);

}  // namespace testing_win
