#include "internet/binding/save_image_win.h"

#include <windows.h>
#include <commdlg.h>

#include <span>

#include "internet/save/save_name.h"
#include "settings/registry_win.h"
#include "support/log/log.h"
#include "support/win/unique_handle_win.h"

namespace {

constexpr int kMaxNumberedTries = 10000;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The chosen file, or nothing when the user cancelled (or the dialog failed).
std::optional<std::string> AskForTarget(const std::string& proposed, Settings& live, const std::string& defaultFolder) {
  char file[261] = {};
  proposed.copy(file, sizeof file - 1);
  const std::string& startFolder = live.LastSavePath.empty() ? defaultFolder : live.LastSavePath;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
  ofn.lpstrTitle = "Save wallpaper file";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
  if (!GetSaveFileNameA(&ofn)) {
    if (CommDlgExtendedError() != 0) MessageBoxA(nullptr, "Error with dialog selection!", "Error", MB_ICONERROR);
    return std::nullopt;
  }
  const std::string chosen = file;
  if (FileExists(chosen) &&
      MessageBoxA(nullptr, "A file by that name already exists, do you want to overwrite it?", "File already exists",
                  MB_YESNO | MB_ICONWARNING) != IDYES)
    return std::nullopt;
  const size_t slash = chosen.find_last_of('\\');
  if (slash != std::string::npos) {
    live.LastSavePath = chosen.substr(0, slash);
    WriteRegString(kProgramKey, "LastSavePath", live.LastSavePath);
  }
  return chosen;
}

bool WriteWhole(const std::string& path, const ImageData& image) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file.get(), image.bytes, image.size, &written, nullptr) && written == image.size;
  if (!ok) {
    // Half a picture is no picture: do not leave it behind.
    file.reset();
    DeleteFileA(path.c_str());
  }
  return ok;
}

}  // namespace

bool SaveImageToFile(const ImageData& image, Settings& live, const std::string& defaultFolder) {
  if (!image.bytes || image.size == 0) return false;
  const std::string proposed = ProposedSaveName(image.fileName ? image.fileName : "",
                                                std::span<const uint8_t>(image.bytes, image.size));
  std::optional<std::string> target;
  if (live.AskWhereToSave) {
    target = AskForTarget(proposed, live, defaultFolder);
  } else {
    target = NumberedSaveTarget(live.WallpaperSavePath, proposed, FileExists, kMaxNumberedTries);
  }
  if (!target) return false;
  if (!WriteWhole(*target, image)) {
    MessageBoxA(nullptr,
                "Could not write to the selected location!\n\nMake sure the disk is not full, is not write "
                "protected,\nand that you have permission to write to the selected\nfolder.",
                "ERROR", MB_ICONWARNING);
    return false;
  }
  SF_LOG(kLogInfo, "Saved wallpaper as " + *target);
  return true;
}
