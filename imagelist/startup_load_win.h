#pragma once
// The start-up load with the real list-file name and the real pictures scan.
#include <cstdint>
#include <functional>
#include <string>

#include "imagelist/image_lists.h"

// The list file's name for the signed-in user (GetUserNameA), "KQ_SF.PLS" without one.
std::string UserListFileName();

// Loads both lists at start-up. Both folders end in a back-slash; log may be empty.
void LoadImageListsAtStartup(ImageLists& lists, const std::string& appDataFolder, const std::string& programFolder,
                             bool shuffle, int32_t lastSeed, std::function<void(const std::string&)> log);
