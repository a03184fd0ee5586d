#include "tests/win/program_driver_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/tests/wine_host_win.h"

namespace testing_win {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramPath() {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return FolderOf(self) + "Skyframe.exe";
}

std::string ShellFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE);
  return buffer;
}

std::string DataFolder() { return ShellFolder(CSIDL_APPDATA) + "\\Quillmoor\\Skyframe\\"; }
std::string LocalDataFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quillmoor\\Skyframe\\"; }

std::string UserName() {
  char buffer[257] = {};
  DWORD size = sizeof buffer;
  GetUserNameA(buffer, &size);
  return buffer;
}

std::string LogPath() { return DataFolder() + "kq_sf_log.txt"; }

namespace {

void RemoveTreeQuietly(const std::string& folder) {
  DeleteFolderContents(folder);
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

void DeleteFolderContents(const std::string& folder) {
  // A profile folder that is a link leads out of the test prefix (Wine links
  // them to the host's home): never empty one.
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    ADD_FAILURE() << folder << " is a link; refusing to empty it";
    return;
  }
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      RemoveTreeQuietly(path);
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

void StopRunningInstances() {
  for (int round = 0; round < 20; ++round) {
    HWND window = FindWindowExA(nullptr, nullptr, "Skyframe", "Skyframe");
    if (!window) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process && WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0)
      TerminateProcess(process.get(), 99);
  }
}

void ResetProgramState() {
  StopRunningInstances();
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
  RemoveTreeQuietly(ShellFolder(CSIDL_APPDATA) + "\\Quillmoor");
  RemoveTreeQuietly(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quillmoor");
}

void SetDword(const char* name, DWORD value, HKEY root, const char* key) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(handle);
}

std::optional<DWORD> GetDword(const char* name, HKEY root, const char* key) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(root, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::optional<std::string> GetString(const char* name, HKEY root, const char* key) {
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buffer);
}

void SetString(const char* name, const std::string& value, HKEY root, const char* key) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WallpaperBitmapPath() { return DataFolder() + UserName() + "_skyframe.bmp"; }

std::optional<Bitmap> ReadBitmap(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
  };
  Bitmap b;
  b.width = static_cast<int>(u32(18));
  b.height = static_cast<int>(u32(22));
  if (b.width <= 0 || b.height <= 0 || b.width > 65536 || b.height > 65536) return std::nullopt;
  const size_t stride = (static_cast<size_t>(b.width) * 3 + 3) & ~size_t{3};
  const size_t offset = u32(10);
  if (offset > bytes.size() || bytes.size() - offset < stride * b.height) return std::nullopt;
  const size_t row = static_cast<size_t>(b.height - 1 - b.height / 2);  // bottom-up
  const size_t at = offset + row * stride + static_cast<size_t>(b.width / 2) * 3;
  b.center = static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 1]) << 8 |
             static_cast<uint8_t>(bytes[at]);
  return b;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

RunningProgram::RunningProgram(const std::string& arguments) : RunningProgram(ProgramPath(), arguments, "") {}

RunningProgram::RunningProgram(const std::string& programPath, const std::string& arguments,
                               const std::string& workingFolder) {
  std::string commandLine = "\"" + programPath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    process_.reset(info.hProcess);
    CloseHandle(info.hThread);
    pid_ = info.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    if (HWND window = MainWindow()) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 99);
  }
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

namespace {

struct WindowSearch {
  DWORD pid;
  const std::string* title;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid) return TRUE;
  char text[256] = {}, cls[256] = {};
  GetWindowTextA(window, text, sizeof text);
  GetClassNameA(window, cls, sizeof cls);
  if (*search->title != text) return TRUE;
  if (search->className && std::string(search->className) != cls) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND RunningProgram::FindTopWindow(const std::string& title, const char* className) const {
  WindowSearch search{pid_, &title, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

struct ClassSearch {
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchVisibleClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[256] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == search->pid && IsWindowVisible(window) && std::string(cls) == search->className) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND RunningProgram::FindVisibleWindowOfClass(const char* className) const {
  ClassSearch search{pid_, className, nullptr};
  EnumWindows(MatchVisibleClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND RunningProgram::MainWindow() const { return FindTopWindow("Skyframe", "Skyframe"); }

HWND RunningProgram::WaitForMainWindow(DWORD timeoutMs) const {
  HWND window = nullptr;
  WaitUntil([&] { return (window = MainWindow()) != nullptr; }, timeoutMs);
  return window;
}

HWND RunningProgram::WaitForTopWindow(const std::string& title, const char* className, DWORD timeoutMs) const {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindTopWindow(title, className)) != nullptr && IsWindowVisible(window); },
            timeoutMs);
  return window;
}

std::optional<DWORD> RunningProgram::Close(DWORD timeoutMs) {
  if (HWND window = MainWindow()) PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitForExit(timeoutMs);
}

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  std::istringstream in(ReadFileBytes(LogPath()));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool MakeDirectoryLink(const std::string& link, const std::string& target) {
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    const DWORD a = GetFileAttributesA(link.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  }
  // Wine reports success without making a link; a link made by the host shows
  // to programs as a reparse point, as Windows shows its own.
  if (!wine_host::StartHostLink(link, target)) return false;
  return WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
}

void RemoveLink(const std::string& link) {
  if (RemoveDirectoryA(link.c_str()) || DeleteFileA(link.c_str())) return;
  wine_host::RemoveHostLink(link);
}

bool LogContains(const std::string& text) { return ReadFileBytes(LogPath()).find(text) != std::string::npos; }

size_t LogCount(const std::string& text) {
  const std::string log = ReadFileBytes(LogPath());
  size_t count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) ++count;
  return count;
}

}  // namespace testing_win
