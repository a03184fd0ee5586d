#include "ui/hotkeys/key_names.h"

#include <utility>

int32_t KeyNameTable::Count() const { return static_cast<int32_t>(entries_.size()); }

std::optional<std::string> KeyNameTable::NameAt(int32_t index) const {
  if (index < 0 || index >= Count()) return std::nullopt;
  return entries_[static_cast<size_t>(index)].name;
}

uint32_t KeyNameTable::CodeAt(int32_t index) const {
  if (index < 0 || index >= Count()) return 0;
  return entries_[static_cast<size_t>(index)].code;
}

std::optional<std::string> KeyNameTable::NameOfCode(uint32_t code) const {
  for (const Entry& e : entries_) {
    if (e.code == code) return e.name;
  }
  return std::nullopt;
}

void KeyNameTable::Add(std::string name, uint32_t code) { entries_.push_back({std::move(name), code}); }

namespace {

KeyNameTable BuildKeyTable() {
  KeyNameTable t;
  for (char c = '0'; c <= '9'; ++c) t.Add(std::string(1, c), static_cast<uint32_t>(c));
  for (char c = 'A'; c <= 'Z'; ++c) t.Add(std::string(1, c), static_cast<uint32_t>(c));
  for (uint32_t i = 1; i <= 12; ++i) t.Add("F" + std::to_string(i), 0x70 + i - 1);
  t.Add("Page Up", 0x21);
  t.Add("Page Dn", 0x22);
  t.Add("Up", 0x26);
  t.Add("Down", 0x28);
  t.Add("Left", 0x25);
  t.Add("Right", 0x27);
  t.Add("Home", 0x24);
  t.Add("End", 0x23);
  t.Add("Tab", 0x09);
  t.Add("Backspace", 0x08);
  t.Add("Spacebar", 0x20);
  t.Add("Print Screen", 0x2C);
  t.Add("Scroll Lock", 0x91);
  t.Add("Pause/Break", 0x13);
  t.Add("Num Lock", 0x90);
  t.Add("Insert", 0x2D);
  // Home and End stand a second time beside Insert and Delete, as on the
  // keyboard's editing block; the lists show both.
  t.Add("Home", 0x24);
  t.Add("End", 0x23);
  t.Add("Delete", 0x2E);
  t.Add("Keypad +", 0x6B);
  t.Add("Keypad -", 0x6D);
  t.Add("Keypad *", 0x6A);
  t.Add("Keypad /", 0x6F);
  t.Add("Keypad .", 0x6E);
  for (uint32_t i = 0; i <= 9; ++i) t.Add("Keypad " + std::to_string(i), 0x60 + i);
  return t;
}

KeyNameTable BuildModifierTable(const char* control, const char* win) {
  KeyNameTable t;
  t.Add(control, 2);
  t.Add("Alt", 1);
  t.Add("Shift", 4);
  t.Add(win, 8);
  return t;
}

}  // namespace

const KeyNameTable& KeyTable() {
  static const KeyNameTable table = BuildKeyTable();
  return table;
}

const KeyNameTable& DialogModifierTable() {
  static const KeyNameTable table = BuildModifierTable("Control", "Windows key");
  return table;
}

const KeyNameTable& MenuModifierTable() {
  static const KeyNameTable table = BuildModifierTable("Ctrl", "WinKey");
  return table;
}

std::string HotKeyText(uint32_t modifier, uint32_t key) {
  return MenuModifierTable().NameOfCode(modifier).value_or("") + " + " + KeyTable().NameOfCode(key).value_or("");
}
