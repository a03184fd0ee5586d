#pragma once
// A small pull reader for the simple tagged text the program reads (the search
// history file, the back-end server's replies). No tree, no attributes, no
// entities: each call hands out the next element's name and its raw value;
// nested elements stay in the value for a second reader to take apart.
#include <cstddef>
#include <string>
#include <string_view>

// One element: the text between "<" and ">" and the raw text up to the
// matching closing tag. A new tag, and the tag at the end of input, is empty.
class ParseXMLTag {
 public:
  virtual ~ParseXMLTag() = default;

  bool empty = true;
  std::string name;
  std::string value;
};

class ParseXML {
 public:
  // Larger inputs are refused (read as empty) rather than copied.
  static constexpr size_t kMaxInputBytes = 16u << 20;
  // A name this long or longer is not a tag (the reader skips it).
  static constexpr size_t kMaxNameBytes = 1023;

  ParseXML() = default;
  virtual ~ParseXML() = default;
  ParseXML(const ParseXML&) = delete;
  ParseXML& operator=(const ParseXML&) = delete;

  // Takes a private copy of text; the input ends at its length, NUL bytes included.
  void SetText(std::string_view text);
  // Reads the file at path as the input; a file that cannot be read, or one
  // above kMaxInputBytes, is empty input. False in those cases.
  bool OpenFile(const std::string& path);

  // The next input byte, or 0 at the end (a NUL byte of the input also reads
  // as 0; AtEnd() tells the two apart).
  char GetChar();
  bool AtEnd() const { return atEnd_; }

  // The next element, or an empty tag when none is left.
  ParseXMLTag GetNextTag();

 private:
  std::string text_;
  size_t cursor_ = 0;
  bool atEnd_ = true;
};
