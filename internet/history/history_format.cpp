#include "internet/history/history_format.h"

#include <limits>

#include "support/xml/parse_xml.h"
#include "support/text/ascii.h"

namespace {
// What text-mode reading gives: each CR LF pair becomes LF.
std::string FromCrLf(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out.push_back(bytes[i]);
  }
  return out;
}

// What text-mode writing gives: each LF becomes CR LF.
void AppendCrLf(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Leading blanks, an optional sign, decimal digits up to the first other
// byte; 0 without digits. Saturates instead of overflowing.
int32_t ParseType(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) value = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

bool DroppedByReader(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

void AppendItem(std::string& out, const SearchItem& item) {
  out += "<SearchItem>\r\n    <Type>";
  out += std::to_string(item.type);
  out += "</Type>\r\n    <String>";
  AppendCrLf(out, item.string);
  out += "</String>\r\n</SearchItem>\r\n\r\n";
}

void AppendList(std::string& out, const SearchList& list, int32_t limit) {
  int32_t written = 0;
  for (const SearchList::Node* node = list.Head(); node && written < limit; node = node->next) {
    if (BreaksHistoryItem(node->value.string)) continue;
    AppendItem(out, node->value);
    ++written;
  }
}
}  // namespace

std::unique_ptr<SearchHistory> ParseSearchHistory(std::string_view bytes) {
  auto history = std::make_unique<SearchHistory>();
  ParseXML items;
  items.SetText(FromCrLf(bytes));
  for (ParseXMLTag item = items.GetNextTag(); !item.empty; item = items.GetNextTag()) {
    if (!EqualsIgnoreCaseAscii(item.name, "SEARCHITEM")) continue;
    int32_t type = 0;
    bool hasString = false;
    std::string text;
    ParseXML children;
    children.SetText(item.value);
    for (ParseXMLTag child = children.GetNextTag(); !child.empty; child = children.GetNextTag()) {
      if (EqualsIgnoreCaseAscii(child.name, "TYPE")) {
        type = ParseType(child.value);
      } else if (EqualsIgnoreCaseAscii(child.name, "STRING")) {
        hasString = true;
        text = std::move(child.value);
      }
    }
    // An item without a text could never be searched for again.
    if (!hasString || text.empty()) continue;
    history->ListFor(type).Append(type, std::move(text));
  }
  if (history->Empty()) return nullptr;
  return history;
}

std::string FormatSearchHistory(const SearchHistory& history, int32_t limit) {
  std::string out;
  AppendList(out, history.keywordItems, limit);
  AppendList(out, history.addressItems, limit);
  return out;
}

bool BreaksHistoryItem(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text)
    if (!DroppedByReader(c)) kept.push_back(c);
  return FindIgnoreCaseAscii(kept, "</String>") != std::string_view::npos ||
         FindIgnoreCaseAscii(kept, "</SearchItem>") != std::string_view::npos;
}
