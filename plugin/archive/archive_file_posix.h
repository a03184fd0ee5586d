#pragma once
// The archive's file interface over POSIX files, for the native build.
#include "plugin/archive/archive_file.h"

// One stateless instance for the whole process.
ArchiveFileSystem& PosixArchiveFileSystem();
