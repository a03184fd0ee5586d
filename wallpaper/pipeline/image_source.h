#pragma once
// Where the pictures of a change come from. The local image list is the first
// source; the internet search plugs in beside it.
#include <cstdint>
#include <optional>
#include <string>

class ImageSource {
 public:
  virtual ~ImageSource() = default;
  // The file of the next (forward) or previous picture, or nothing when the
  // source has none to offer. `failedInARow`: pictures that did not load since
  // the last one that did, so a list can stop once it has tried them all.
  virtual std::optional<std::string> NextFile(bool forward, int32_t failedInARow) = 0;
  // The picture shown last, for restoring a blanked desktop; nothing when unknown.
  virtual std::optional<std::string> CurrentFile() const = 0;
};
