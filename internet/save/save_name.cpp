#include "internet/save/save_name.h"

#include "internet/save/device_names.h"
#include "internet/save/image_signature.h"

namespace {
// An extension longer than this is just more name after a dot ("a.b-c-d-...").
constexpr size_t kMaxExtensionBytes = 16;

bool IsForbidden(unsigned char b) {
  switch (b) {
    case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
      return true;
    default:
      return b < 0x20 || b == 0x7F;
  }
}

// Windows silently drops trailing dots and blanks, so "a.jpg." would be saved
// as "a.jpg" while we check for and number the other spelling.
void TrimTrailingDotsAndBlanks(std::string& s) {
  while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
}

// Dots, blanks and the underscores left by forbidden bytes name nothing a
// user could recognise ("...", "_ _", "<>?"), so such a name counts as empty.
bool NamesSomething(std::string_view s) {
  return s.find_first_not_of("._ ") != std::string_view::npos;
}

// Cuts s to at most max bytes without splitting a UTF-8 sequence, the code
// page the name may be in; in a single-byte code page this costs at most three
// characters.
void CutTo(std::string& s, size_t max) {
  if (s.size() <= max) return;
  size_t cut = max;
  for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80; ++back) --cut;
  s.resize(cut);
}
}  // namespace

std::string ProposedSaveName(std::string_view fileName, std::span<const uint8_t> bytes) {
  const std::string_view sniffed = ExtensionFromSignature(bytes);

  // The plug-in's name is the address's last part, query and fragment included.
  std::string name(fileName.substr(0, fileName.find_first_of("?#")));
  for (char& c : name)
    if (IsForbidden(static_cast<unsigned char>(c))) c = '_';
  TrimTrailingDotsAndBlanks(name);
  if (!NamesSomething(name)) return "wallpaper" + std::string(sniffed);

  std::string stem = name, extension;
  if (const size_t dot = name.rfind('.');
      dot != std::string::npos && name.size() - dot <= kMaxExtensionBytes) {
    stem = name.substr(0, dot);
    extension = name.substr(dot);
  }
  // Without an extension (or with one like "._" left by forbidden bytes) the
  // user's picture viewer does not know the file is an image, so the bytes'
  // own kind supplies one.
  if (!NamesSomething(extension)) {
    stem = name;
    extension = sniffed;
  }
  if (!NamesSomething(stem)) stem = "wallpaper";

  if (stem.size() + extension.size() > kMaxSaveNameBytes) {
    CutTo(stem, kMaxSaveNameBytes - extension.size());
    TrimTrailingDotsAndBlanks(stem);
    if (!NamesSomething(stem)) stem = "wallpaper";
  }
  // Checked after the cut, which can leave "CON" of "CON      ...x.jpg". The
  // prefix may need one more byte of room; a name starting with "_" is never a
  // device, so the second cut cannot make one.
  if (IsReservedDeviceName(stem + extension)) {
    stem.insert(0, 1, '_');
    if (stem.size() + extension.size() > kMaxSaveNameBytes) {
      CutTo(stem, kMaxSaveNameBytes - extension.size());
      TrimTrailingDotsAndBlanks(stem);
    }
  }
  return stem + extension;
}
