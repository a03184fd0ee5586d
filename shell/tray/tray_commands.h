#pragma once
// What the tray's menu, clicks and hot keys ask of the rest of the program.
// The shell implements it; the tray knows nothing of the pipeline or the
// scheduler behind it.
#include <cstdint>
#include <string>

class TrayCommands {
 public:
  virtual ~TrayCommands() = default;
  // A wallpaper change is running (the hot-key guards depend on it).
  virtual bool ChangeRunning() const = 0;
  virtual void NextImage(bool hotKey) = 0;
  virtual void PreviousImage(bool hotKey) = 0;
  virtual void SaveWallpaper(bool hotKey) = 0;
  virtual void BlockImage() = 0;
  // Blanks the wallpaper, or restores it when it is blank.
  virtual void BlankOrRestore() = 0;
  // The pause state changed: the schedule follows.
  virtual void RearmSchedule() = 0;
  // The quick-entry box's OK with a new search text.
  virtual void ApplySearchText(const std::string& text) = 0;
  // The engine with this index can block images.
  virtual bool EngineCanBlock(int32_t engineIndex) const = 0;
};
