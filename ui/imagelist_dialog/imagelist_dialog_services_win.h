#pragma once
// What "Select Images" needs from the rest of the program, and the file
// dialogs it asks the user through. The application implements the first;
// the common dialogs implement the second; the tests give stand-ins for both.
#include <windows.h>

#include <string>
#include <vector>

class ImageListDialogServices {
 public:
  virtual ~ImageListDialogServices() = default;
  // The list file the dialog opens with and OK writes.
  virtual std::string ListFilePath() const = 0;
  virtual bool ShowThumbnails() const = 0;
  virtual void SetShowThumbnails(bool shown) = 0;
  // OK wrote the list file (or deleted it for an empty list: `written` false).
  // `replaced`: the list was cleared or loaded, so the play cursor starts again.
  virtual void ListCommitted(bool written, bool replaced) = 0;
  // "Set as Wallpaper": the change pipeline shows this file now.
  virtual void ShowAsWallpaper(const std::string& path) = 0;
  // The help file F1 opens.
  virtual std::string HelpFilePath() const = 0;
};

enum class PickResult { kCancelled, kChosen, kFailed, kBufferTooSmall };

class ImageListPickers {
 public:
  virtual ~ImageListPickers() = default;
  // "Select image(s)": every picked file's full path.
  virtual PickResult PickImages(HWND owner, std::vector<std::string>& paths) = 0;
  // "Select a Folder".
  virtual bool PickFolder(HWND owner, std::string& folder) = 0;
  // "Save image list": the chosen name as typed (the dialog adds the extension).
  virtual bool PickSaveName(HWND owner, std::string& name) = 0;
  // "Select an image list".
  virtual bool PickListFile(HWND owner, std::string& name) = 0;
};
