#include "imagelist/playlist_formats.h"

#include <cstdio>

#include "imagelist/extensions.h"
#include "support/text/ascii.h"

namespace {

constexpr size_t npos = std::string_view::npos;
// A four-character extension with its dot.
constexpr size_t kMaxExtensionLength = 4;

std::string_view SkipBlanks(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// A value that cannot be a file name is dropped rather than listed: an empty
// one would name the list's own folder, and a line break would split the
// entry into extra lines when the list is written back as PLS.
void AppendValue(std::string_view value, std::string_view folder, std::vector<std::string>& out) {
  if (value.empty() || value.find_first_of("\r\n") != npos) return;
  out.push_back(MakeEntryPath(value, folder));
}

// Calls f with every non-empty line of text, in order.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == npos) end = text.size();
    if (end > pos) f(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

// The value after the next double quote at or after from, up to the following
// quote (or the end of the text); from becomes the position after the value.
std::string_view QuotedValue(std::string_view text, size_t& from, bool dropFileScheme) {
  const size_t open = text.find('"', from);
  if (open == npos) {
    from = text.size();
    return {};
  }
  size_t close = text.find('"', open + 1);
  if (close == npos) close = text.size();
  from = close;
  std::string_view value = SkipBlanks(text.substr(open + 1, close - open - 1));
  if (dropFileScheme && StartsWithIgnoreCaseAscii(value, "file:")) value = SkipBlanks(value.substr(5));
  return value;
}

void ScanQuoted(std::string_view text, std::string_view marker, bool dropFileScheme,
                std::string_view folder, std::vector<std::string>& out) {
  size_t pos = FindIgnoreCaseAscii(text, marker, 0);
  while (pos != npos) {
    size_t from = pos + marker.size();
    const std::string_view value = QuotedValue(text, from, dropFileScheme);
    if (!value.empty()) AppendValue(DecodeEntities(value), folder, out);
    if (from >= text.size()) break;
    pos = FindIgnoreCaseAscii(text, marker, from);
  }
}

}  // namespace

PlaylistFormat FormatForExtension(std::string_view extension) {
  if (extension.size() > kMaxExtensionLength) return kFormatM3U;
  static constexpr struct { std::string_view ext; PlaylistFormat format; } kTable[] = {
      {".m3u", kFormatM3U}, {".b4s", kFormatB4S}, {".pls", kFormatPLS},
      {".asx", kFormatASX}, {".wpl", kFormatWPL}, {".bpl", kFormatBPL},
  };
  for (const auto& row : kTable)
    if (EqualsIgnoreCaseAscii(extension, row.ext)) return row.format;
  return kFormatM3U;
}

std::string MakeEntryPath(std::string_view value, std::string_view folder) {
  if (value.substr(0, 2) == "\\\\" || value.find(':') != npos) return std::string(value);
  if (!value.empty() && (value[0] == '\\' || value[0] == '/')) value.remove_prefix(1);
  std::string path;
  path.reserve(folder.size() + value.size());
  path.append(folder).append(value);
  return path;
}

std::string DecodeEntities(std::string_view value) {
  std::string s(value);
  static constexpr struct { std::string_view entity; char c; } kEntities[] = {
      {"&apos;", '\''}, {"&quot;", '"'}, {"&nbsp;", ' '}};
  for (const auto& e : kEntities) {
    size_t pos = 0;
    while ((pos = s.find(e.entity, pos)) != std::string::npos) {
      s.replace(pos, e.entity.size(), 1, e.c);
      ++pos;
    }
  }
  return s;
}

void ReadLineList(std::string_view text, std::string_view folder, std::vector<std::string>& out) {
  ForEachLine(text, [&](std::string_view line) {
    line = SkipBlanks(line);
    if (!line.empty() && line[0] == '#') return;
    AppendValue(line, folder, out);
  });
}

void ReadPls(std::string_view text, std::string_view folder, std::vector<std::string>& out) {
  const size_t tailStart = text.size() > 15 ? text.size() - 15 : 0;
  const bool version2 = FindIgnoreCaseAscii(text.substr(tailStart), "Version=2") != npos;

  const size_t header = FindIgnoreCaseAscii(text, "[playlist]");
  if (header != npos) {
    // The header and the character after it (its line feed).
    const size_t start = header + 10 + 1;
    text = start < text.size() ? text.substr(start) : std::string_view();
  }
  ForEachLine(text, [&](std::string_view line) {
    line = SkipBlanks(line);
    if (!version2) {
      AppendValue(line, folder, out);
      return;
    }
    if (!StartsWithIgnoreCaseAscii(line, "file")) return;
    const size_t equals = line.find('=');
    if (equals == npos) return;
    AppendValue(SkipBlanks(line.substr(equals + 1)), folder, out);
  });
}

void ReadPlaystrings(std::string_view text, std::string_view folder, std::vector<std::string>& out) {
  ScanQuoted(text, "Playstring", true, folder, out);
}

void ReadAttribute(std::string_view text, std::string_view attribute, std::string_view folder,
                   std::vector<std::string>& out) {
  ScanQuoted(text, attribute, false, folder, out);
}

void ReadPlaylistText(PlaylistFormat format, std::string_view text, std::string_view folder,
                      std::vector<std::string>& out) {
  switch (format) {
    case kFormatB4S:
    case kFormatBPL: ReadPlaystrings(text, folder, out); break;
    case kFormatPLS: ReadPls(text, folder, out); break;
    case kFormatASX: ReadAttribute(text, "href", folder, out); break;
    case kFormatWPL: ReadAttribute(text, "media src", folder, out); break;
    default: ReadLineList(text, folder, out); break;
  }
}

std::string FormatPls(const std::vector<std::string>& entries) {
  std::string s = "[playlist]\r\nPlaylistName=Farther Afield playlist\r\n";
  char number[16];
  for (size_t i = 0; i < entries.size(); ++i) {
    std::snprintf(number, sizeof number, "%zu", i + 1);
    s.append("File").append(number).append("=").append(entries[i]).append("\r\n");
    s.append("Title").append(number).append("=").append(PathFileTitle(entries[i])).append("\r\n");
  }
  std::snprintf(number, sizeof number, "%zu", entries.size());
  s.append("NumberOfEntries=").append(number).append("\r\nVersion=2");
  return s;
}
