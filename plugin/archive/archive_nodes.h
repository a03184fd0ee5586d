#pragma once
// Node types of the plug-in's data archive, and the data form each one carries.
// Every part of the plug-in reads and writes the archive by these numbers.
#include <cstdint>

// A node header carries this value; a header without it is not a node.
constexpr uint32_t kArchiveNodeMagic = 0x20061105u;

enum ArchiveNodeType : uint32_t {
  kNodeRoot = 1,
  kNodeUser = 4,              // text: Windows user name; all of that user's searches hang below
  kNodeSearch = 256,          // text: encoded search text
  kNodeEngine = 257,          // text: engine display name
  kNodeResults = 258,         // none: the engine's results
  kNodeCurrentId = 259,       // u32: id of the current result (0 = none)
  kNodeNextId = 260,          // u32: next result id (starts at 1)
  kNodePagePosition = 261,    // u32: the engine's page position
  kNodeResult = 272,          // none: one result
  kNodeImageUrl = 273,        // text
  kNodePageUrl = 274,         // text, absent when the engine gives none
  kNodeWidth = 275,           // u32, 0 = unknown
  kNodeHeight = 276,          // u32
  kNodeResultId = 277,        // u32
  kNodeCacheEntry = 288,      // none: the result's cache entry, at most one
  kNodeCacheSize = 289,       // u32: size of the cached file in bytes
  kNodeCacheFileName = 290,   // text
  kNodeImageFileName = 291,   // text: the request path after its last slash
  kNodeCacheTime = 292,       // 8 bytes: FILETIME (UTC, 100 ns units), low word first
  kNodeSettings = 512,        // none: created with a new archive
  kNodeNextCacheNumber = 513, // u32
  kNodeCachedBytes = 514,     // u32
  kNodeRunCounter = 515,      // u32, raised at every InitDll
  kNodeCondemnedList = 768,   // none
  kNodeCondemned = 769,       // text: one condemned image or page address
};

// What a node's blob must look like; the loader and the typed readers treat a
// node whose blob does not fit its form as absent.
enum class ArchiveDataForm { Any, None, U32, U64, Text };

constexpr ArchiveDataForm ArchiveDataFormOf(uint32_t type) {
  switch (type) {
    case kNodeRoot: case kNodeResults: case kNodeResult: case kNodeCacheEntry:
    case kNodeSettings: case kNodeCondemnedList:
      return ArchiveDataForm::None;
    case kNodeCurrentId: case kNodeNextId: case kNodePagePosition: case kNodeWidth:
    case kNodeHeight: case kNodeResultId: case kNodeCacheSize: case kNodeNextCacheNumber:
    case kNodeCachedBytes: case kNodeRunCounter:
      return ArchiveDataForm::U32;
    case kNodeCacheTime:
      return ArchiveDataForm::U64;
    case kNodeUser: case kNodeSearch: case kNodeEngine: case kNodeImageUrl: case kNodePageUrl:
    case kNodeCacheFileName: case kNodeImageFileName: case kNodeCondemned:
      return ArchiveDataForm::Text;
    default:
      return ArchiveDataForm::Any;
  }
}
