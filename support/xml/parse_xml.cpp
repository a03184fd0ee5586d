#include "support/xml/parse_xml.h"

#include <cstdio>
#include <memory>

#include "support/text/ascii.h"

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Control bytes are noise in a value, except the three that lay out text.
// Bytes from 0x80 up are kept: they are the non-ASCII letters of UTF-8 text.
bool DroppedFromValue(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}
}  // namespace

void ParseXML::SetText(std::string_view text) {
  text_.clear();
  cursor_ = 0;
  atEnd_ = text.size() > kMaxInputBytes;
  if (!atEnd_) text_.assign(text);
}

bool ParseXML::OpenFile(const std::string& path) {
  text_.clear();
  cursor_ = 0;
  atEnd_ = true;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  // The length is learnt by reading, never taken from the file system.
  char chunk[16384];
  std::string bytes;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    if (n == 0) break;
    if (bytes.size() + n > kMaxInputBytes) return false;
    bytes.append(chunk, n);
  }
  if (std::ferror(file.get())) return false;
  text_ = std::move(bytes);
  atEnd_ = false;
  return true;
}

char ParseXML::GetChar() {
  if (atEnd_) return 0;
  if (cursor_ >= text_.size()) {
    atEnd_ = true;
    return 0;
  }
  return text_[cursor_++];
}

ParseXMLTag ParseXML::GetNextTag() {
  ParseXMLTag result;
  std::string name;
  for (;;) {
    // Up to and including the next "<".
    for (;;) {
      const char c = GetChar();
      if (atEnd_) return result;
      if (c == '<') break;
    }
    name.clear();
    bool tooLong = false;
    for (;;) {
      const char c = GetChar();
      if (atEnd_) return result;
      if (c == '>') break;
      if (name.size() == kMaxNameBytes) tooLong = true;
      if (!tooLong) name.push_back(c);
    }
    if (!tooLong) break;
    // An over-long name is not a tag: look for the next one after its ">".
  }

  const std::string closing = "/" + name;
  std::string value;
  std::string match;  // the text of a tag met inside the value, while it may still be the closing one
  bool collecting = false;
  bool closed = false;
  while (!closed) {
    const char c = GetChar();
    if (atEnd_) break;
    if (c == '<') {
      collecting = true;
      match.clear();
      value.push_back(c);
    } else if (c == '>') {
      if (collecting && EqualsIgnoreCaseAscii(match, closing)) {
        closed = true;
      } else {
        value.push_back(c);
      }
      collecting = false;
      match.clear();
    } else if (!DroppedFromValue(c)) {
      value.push_back(c);
      if (collecting) {
        match.push_back(c);
        if (match.size() > closing.size()) {
          collecting = false;
          match.clear();
        }
      }
    }
  }
  if (closed) {
    // The closing tag's "<" and name are in the value already; cut them off.
    value.erase(value.rfind('<'));
  }
  result.empty = false;
  result.name = std::move(name);
  result.value = std::move(value);
  return result;
}
