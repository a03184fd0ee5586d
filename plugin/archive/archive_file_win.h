#pragma once
// The archive's file interface over Win32 files (CreateFileA, WriteFile,
// FlushFileBuffers, SetEndOfFile, MoveFileExA with replace and write-through).
#include "plugin/archive/archive_file.h"

// One stateless instance for the whole process.
ArchiveFileSystem& Win32ArchiveFileSystem();
