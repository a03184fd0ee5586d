#pragma once
// Writing a downloaded picture, exactly as it came, where the user wants it:
// through the save dialog, or numbered into the save folder.
#include <string>

#include "plugin/include/fetchpix.h"
#include "settings/settings.h"

// True when the file was written. `defaultFolder` is where the dialog starts
// before anything was saved. Stores the folder chosen as LastSavePath.
bool SaveImageToFile(const ImageData& image, Settings& live, const std::string& defaultFolder);
