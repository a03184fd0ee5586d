#pragma once
// Reading image lists from media-player playlists and writing the PLS form.
// The readers only look for a few markers and take the value after them; they
// never fail: text without markers simply yields no entries.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum PlaylistFormat : int32_t {
  kFormatNone = 0,
  kFormatM3U = 1,  // line list
  kFormatB4S = 2,  // "Playstring" scan
  kFormatPLS = 3,  // File lines (version 2) or plain lines (version 1)
  kFormatASX = 4,  // "href" attribute scan
  kFormatWPL = 5,  // "media src" attribute scan
  kFormatBPL = 6,  // "Playstring" scan
};

// The format an extension (dot included, any case) selects; an unknown or
// over-long extension gives the line list.
PlaylistFormat FormatForExtension(std::string_view extension);

// A read value as a path: network paths and values with a colon stay as they
// are, anything else is relative to folder (one leading slash dropped).
std::string MakeEntryPath(std::string_view value, std::string_view folder);

// Replaces "&apos;", "&quot;" and "&nbsp;"; other entities stay.
std::string DecodeEntities(std::string_view value);

// Each reader appends the paths it finds in text to out, in the order found.
void ReadLineList(std::string_view text, std::string_view folder, std::vector<std::string>& out);
void ReadPls(std::string_view text, std::string_view folder, std::vector<std::string>& out);
void ReadPlaystrings(std::string_view text, std::string_view folder, std::vector<std::string>& out);
void ReadAttribute(std::string_view text, std::string_view attribute, std::string_view folder,
                   std::vector<std::string>& out);
// Runs the reader of the given format (unknown numbers read as a line list).
void ReadPlaylistText(PlaylistFormat format, std::string_view text, std::string_view folder,
                      std::vector<std::string>& out);

// The bytes of a PLS file for entries, lines ended with CR LF as the file holds them.
std::string FormatPls(const std::vector<std::string>& entries);
