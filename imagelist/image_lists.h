#pragma once
// The two lists that live for the whole run and the cursor walk through them.
// The master list is the list file in stored order; the play-order list is
// the same file, shuffled when shuffling is on, and is what changes show.
// The cursor and seed are the caller's (persisted) values, passed by reference.
#include <cstdint>
#include <optional>
#include <string>

#include "imagelist/playlist.h"

// Passes every shuffle of the play-order list uses.
inline constexpr int32_t kShufflePasses = 50;

// What a step through the play-order list produced.
struct StepResult {
  std::optional<std::string> path;  // the image to show; empty when there is nothing
  bool saveSettings = false;        // the cursor or seed moved: save the settings now
};

class ImageLists {
 public:
  // The list file both lists are loaded from.
  void SetListFilePath(std::string path) { listFilePath_ = std::move(path); }
  const std::string& ListFilePath() const { return listFilePath_; }

  Playlist& Master() { return master_; }
  Playlist& PlayOrder() { return playOrder_; }
  const Playlist& Master() const { return master_; }
  const Playlist& PlayOrder() const { return playOrder_; }

  // Clears the master list and loads it from the list file.
  bool LoadMaster();
  // Clears the play-order list, loads it from the list file and, when shuffle is on, shuffles it with seed.
  bool LoadPlayOrder(bool shuffle, int32_t seed);
  // Reloads both lists (after the list or the settings changed).
  void ReloadBoth(bool shuffle, int32_t seed);

  // One step forward (next image) or back (previous image). Past either end
  // the index wraps; with shuffle on, the order is rebuilt from lastSeed + 1
  // (forward) or lastSeed - 1 (back) and lastSeed takes that value. Nothing is
  // shown once failedImageCount reaches the list's length.
  StepResult Step(bool forward, int32_t failedImageCount, bool shuffle, int32_t& indexOfLastImage,
                  int32_t& lastSeed);

  // The play-order entry at the cursor, if the cursor is valid.
  std::optional<std::string> CurrentImage(int32_t indexOfLastImage) const;

 private:
  std::string listFilePath_;
  Playlist master_;
  Playlist playOrder_;
};
