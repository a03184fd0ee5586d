#pragma once
// Shared body of the reader fuzz targets: any text must read without fault,
// and whatever a reader found must survive a PLS write and read unchanged
// (the program keeps every list it reads as a PLS file), except for leading
// blanks, which the PLS reader skips (a decoded "&nbsp;" can put one there).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "imagelist/playlist_formats.h"

inline int FuzzReader(PlaylistFormat format, const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> entries;
  ReadPlaylistText(format, text, "C:\\lists\\", entries);

  const std::string written = FormatPls(entries);
  std::string asRead;
  for (size_t i = 0; i < written.size(); ++i)
    if (!(written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n')) asRead += written[i];
  std::vector<std::string> back;
  ReadPls(asRead, "C:\\lists\\", back);
  if (back.size() != entries.size()) std::abort();
  for (size_t i = 0; i < back.size(); ++i) {
    std::string_view e = entries[i];
    while (!e.empty() && e.front() == ' ') e.remove_prefix(1);
    if (back[i] != e) std::abort();
  }
  return 0;
}
