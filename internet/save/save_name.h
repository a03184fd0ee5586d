#pragma once
// The file name offered for saving a downloaded wallpaper, and the numbered
// target used when the user is not asked where to save.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Longest name ProposedSaveName returns, in bytes.
inline constexpr size_t kMaxSaveNameBytes = 200;

// A name Windows can create in any folder, made from the plug-in's file name
// (the address's last part, query and fragment possibly included) and the
// image's own bytes, which supply the extension when the name lacks one.
std::string ProposedSaveName(std::string_view fileName, std::span<const uint8_t> bytes);

// folder, a back-slash and name; while exists() says that file is there,
// name with "(1)", "(2)", ... before its last dot. Nothing when maxTries
// numbers are all taken, or when there is no folder to save into.
std::optional<std::string> NumberedSaveTarget(std::string_view folder, std::string_view name,
                                              const std::function<bool(const std::string&)>& exists,
                                              int maxTries);
