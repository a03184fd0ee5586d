#pragma once
// Blocked image and page addresses: in memory for the checks, and as 769
// children of node 768 in the archive so they outlive the run.
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

class Archive;

class CondemnedList {
 public:
  // Reads every 769 child of node 768 (adding 768 when missing); replaces the
  // in-memory list. Malformed entries are skipped.
  void Load(Archive& archive);
  // Adds the address to the list and to the archive (once: an address already
  // condemned is not stored again).
  void Condemn(Archive& archive, const std::string& address);
  // Byte-for-byte comparison with every entry.
  bool IsCondemned(const std::string& address);
  std::vector<std::string> Entries();

 private:
  // Taken before the archive's lock, never the other way round.
  std::mutex lock_;
  std::vector<std::string> ordered_;
  std::unordered_set<std::string> set_;
};
