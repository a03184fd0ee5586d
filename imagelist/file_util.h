#pragma once
// Small file helpers shared by the program (portable; see file_system.h for the OS calls).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// True when the file can be opened for binary reading.
bool FileExists(const std::string& path);
// True when a scratch file can be created, written and deleted in folder.
bool FolderIsWritable(const std::string& folder);

enum class ReadResult { kOk, kOpenFailed, kTooLarge, kReadFailed };
// Reads a whole file as text: CR LF pairs become LF, as text-mode reading gives
// them. Files above maxBytes are refused rather than allocated.
ReadResult ReadTextFile(const std::string& path, size_t maxBytes, std::string& out);
// Writes bytes to a scratch file beside path and then replaces path with it, so
// a failed write (full disk) never leaves a half-written file in its place.
bool WriteFileReplacing(const std::string& path, std::string_view bytes);
