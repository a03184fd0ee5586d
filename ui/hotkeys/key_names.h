#pragma once
// Name tables behind the hot-key lists: key names by virtual-key code and
// modifier names by RegisterHotKey flag, plus the tray menu's hot-key label.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class KeyNameTable {
 public:
  int32_t Count() const;
  // None for an index outside 0 .. Count() - 1.
  std::optional<std::string> NameAt(int32_t index) const;
  // 0 for an index outside the table, so that a stale index never reads past it.
  uint32_t CodeAt(int32_t index) const;
  // The first entry from index 0 with this code; none when no entry has it.
  std::optional<std::string> NameOfCode(uint32_t code) const;
  void Add(std::string name, uint32_t code);

 private:
  struct Entry {
    std::string name;
    uint32_t code;
  };
  std::vector<Entry> entries_;
};

// Built on first use and kept for the rest of the process.
const KeyNameTable& KeyTable();
// "Control", "Alt", "Shift", "Windows key": the names the hot-key dialog lists.
const KeyNameTable& DialogModifierTable();
// "Ctrl", "Alt", "Shift", "WinKey": the names the tray menu prints.
const KeyNameTable& MenuModifierTable();

// "Ctrl + Page Dn"; a code missing from its table contributes an empty name.
std::string HotKeyText(uint32_t modifier, uint32_t key);
