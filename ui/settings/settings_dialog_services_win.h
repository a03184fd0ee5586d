#pragma once
// What the settings dialog needs from the rest of the program: the engines,
// the search history, the plug-in's cache, applying the working copy. The
// application implements it; the dialog's tests give a recording stand-in.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

// One search engine as the plug-in reported it.
struct EngineChoice {
  uint32_t id = 0;
  std::string name;
  std::array<uint8_t, 5> capabilities{};
};

class SettingsDialogServices {
 public:
  virtual ~SettingsDialogServices() = default;

  // The settings in force (the dialog copies them when it opens).
  virtual const Settings& LiveSettings() const = 0;
  // Every engine, engine 0 (the one that takes an address) included.
  virtual std::vector<EngineChoice> Engines() const = 0;

  // The Source page is built: the history file is read again.
  virtual void ReloadHistory() = 0;
  // The history's entries of one kind, most recent first.
  virtual std::vector<std::string> HistoryEntries(bool addresses) const = 0;
  // "Clear History" confirmed: only the most recent entry of the kind in use
  // stays (each removed search is forgotten by the plug-in), and the history
  // is saved for `historySize`.
  virtual void ClearHistory(bool addressInUse, int32_t historySize) = 0;
  // "Clear Cache" confirmed: an open search starts again with the settings in
  // force, then the plug-in's image cache is emptied.
  virtual void ClearCache() = 0;

  // OK or Apply: the working copy becomes the settings in force. False when
  // the dialog's current page refused to be left (nothing applied).
  virtual bool Apply(Settings& workingCopy) = 0;

  // Where pictures are saved when the save folder is left empty.
  virtual std::string PicturesFolder() const = 0;
  // The program file, whose appended archive holds the header picture.
  virtual std::string ProgramPath() const = 0;
  // The help file ("SF_Help.chm" beside the program).
  virtual std::string HelpFilePath() const = 0;

  // The user's decimal separator, read at start-up ("." when it could not be read).
  virtual char DecimalSeparator() const = 0;

  // "Select Images": the image list dialog over `owner`; false when the
  // program has none to show (the button is then disabled).
  virtual bool CanSelectImages() const { return false; }
  virtual void SelectImages(HWND /*owner*/) {}
};
