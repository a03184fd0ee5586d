#pragma once
// The few file-system calls the portable list code needs. file_system_win.cpp
// implements them with Win32, file_system_posix.cpp for native builds and tests.
#include <cstddef>
#include <string>

// The absolute form of name, refused when longer than maxLength characters.
bool GetFullPath(const std::string& name, size_t maxLength, std::string& out);
// True when the path names anything (file or folder).
bool PathExists(const std::string& path);
// Replaces target with source in one step (source is gone afterwards).
bool ReplaceFileWith(const std::string& source, const std::string& target);
// The separator of the platform's own paths: back-slash on Windows.
char NativeSeparator();
