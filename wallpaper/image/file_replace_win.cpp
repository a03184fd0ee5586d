#include <windows.h>

#include "wallpaper/image/file_replace.h"

namespace image {

bool ReplaceFileWith(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  // The target may be open without delete sharing (the desktop reading it):
  // overwriting its contents still works then.
  if (CopyFileA(from, to, FALSE)) {
    DeleteFileA(from);
    return true;
  }
  return false;
}

}  // namespace image
