#pragma once
// Helpers shared by the archive tests: a readable dump of a whole tree, a
// sample tree shaped like the plug-in's, and a writer of raw sections.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_crc.h"

// One line per live node: depth, type and data (hex), in pre-order.
inline std::string DumpTree(Archive& archive) {
  std::string out;
  struct Item {
    ArchiveNode* node;
    int depth;
  };
  std::vector<Item> stack;
  for (ArchiveNode* root = archive.Root(); root;) {
    stack.push_back({root, 0});
    break;
  }
  static const char* hex = "0123456789abcdef";
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    out += std::string(static_cast<size_t>(item.depth), ' ') + std::to_string(item.node->Type());
    uint32_t length = 0;
    archive.Read(item.node, &length, nullptr);
    std::vector<uint8_t> data(length);
    if (length && !archive.Read(item.node, &length, data.data())) out += " <unreadable>";
    if (length) out += " ";
    for (uint8_t b : data) out += {hex[b >> 4], hex[b & 15]};
    out += "\n";
    std::vector<Item> children;
    for (ArchiveNode* c = archive.Find(item.node, nullptr, 0); c; c = archive.Find(item.node, c, 0))
      children.push_back({c, item.depth + 1});
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return out;
}

// A user with searches, each with an engine, results and cache entries, as the
// plug-in builds them. Returns the number of changes it made.
inline int AddSampleSearches(Archive& archive, int searches, int resultsPerSearch) {
  int changes = 0;
  archive.SetUserName("alice");
  ArchiveNode* user = archive.FindOrAddUser();
  ++changes;
  for (int s = 0; s < searches; ++s) {
    ArchiveNode* search = archive.AddText(user, kNodeSearch, "cats+" + std::to_string(s));
    ArchiveNode* engine = archive.AddText(search, kNodeEngine, "Engine " + std::to_string(s % 4));
    ArchiveNode* results = archive.Add(engine, kNodeResults);
    archive.AddU32(engine, kNodeCurrentId, 0);
    archive.AddU32(engine, kNodeNextId, static_cast<uint32_t>(resultsPerSearch + 1));
    changes += 5;
    for (int r = 0; r < resultsPerSearch; ++r) {
      std::string id = std::to_string(s) + "-" + std::to_string(r);
      ArchiveNode* result = archive.Add(results, kNodeResult);
      archive.AddText(result, kNodeImageUrl, "http://images.example/" + id + ".jpg");
      if (r % 2) archive.AddText(result, kNodePageUrl, "http://pages.example/" + id + ".html");
      archive.AddU32(result, kNodeWidth, 640u + static_cast<uint32_t>(r));
      archive.AddU32(result, kNodeHeight, 480);
      archive.AddU32(result, kNodeResultId, static_cast<uint32_t>(r + 1));
      ArchiveNode* entry = archive.Add(result, kNodeCacheEntry);
      archive.AddU32(entry, kNodeCacheSize, 12345);
      archive.AddText(entry, kNodeCacheFileName, "Fetchpix" + id + ".img");
      archive.AddText(entry, kNodeImageFileName, id + ".jpg");
      archive.AddU64(entry, kNodeCacheTime, 0x01D2000000000000ull + static_cast<uint64_t>(r));
      changes += 10 + (r % 2);
    }
  }
  return changes;
}

// Raw node headers and files, for inputs the archive itself would never write.
struct RawNode {
  uint32_t type, magic, childCount, dataLength, dataOffset;
};

inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Appends one section (blobs, headers, tree offset, checksum) to file.
inline void AppendRawSection(std::vector<uint8_t>& file, const std::vector<uint8_t>& blobs,
                             const std::vector<RawNode>& nodes) {
  file.insert(file.end(), blobs.begin(), blobs.end());
  uint32_t treeOffset = static_cast<uint32_t>(file.size());
  for (const RawNode& n : nodes) {
    PutLe32(file, n.type);
    PutLe32(file, n.magic);
    PutLe32(file, n.childCount);
    PutLe32(file, n.dataLength);
    PutLe32(file, n.dataOffset);
  }
  PutLe32(file, treeOffset);
  PutLe32(file, ArchiveChecksum(file.data(), file.size()));
}
