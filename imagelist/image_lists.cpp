#include "imagelist/image_lists.h"

bool ImageLists::LoadMaster() {
  master_.Clear();
  return master_.Load(listFilePath_);
}

bool ImageLists::LoadPlayOrder(bool shuffle, int32_t seed) {
  playOrder_.Clear();
  const bool ok = playOrder_.Load(listFilePath_);
  if (shuffle) playOrder_.Shuffle(seed, kShufflePasses);
  return ok;
}

void ImageLists::ReloadBoth(bool shuffle, int32_t seed) {
  LoadMaster();
  LoadPlayOrder(shuffle, seed);
}

StepResult ImageLists::Step(bool forward, int32_t failedImageCount, bool shuffle, int32_t& indexOfLastImage,
                            int32_t& lastSeed) {
  StepResult result;
  if (failedImageCount >= playOrder_.Count()) return result;

  // Computed wide: a stored cursor at either end of the 32-bit range must wrap, not overflow.
  const int64_t next = static_cast<int64_t>(indexOfLastImage) + (forward ? 1 : -1);
  if (next >= 0 && next < playOrder_.Count()) {
    indexOfLastImage = static_cast<int32_t>(next);
  } else {
    if (shuffle) {
      const int32_t seed = static_cast<int32_t>(static_cast<uint32_t>(lastSeed) + (forward ? 1u : ~0u));
      LoadPlayOrder(true, seed);
      lastSeed = seed;
    }
    // The reload may have found the file changed or gone.
    if (playOrder_.Count() == 0) {
      result.saveSettings = shuffle;
      return result;
    }
    indexOfLastImage = forward ? 0 : playOrder_.Count() - 1;
  }
  result.path = *playOrder_.GetEntry(indexOfLastImage);
  result.saveSettings = true;
  return result;
}

std::optional<std::string> ImageLists::CurrentImage(int32_t indexOfLastImage) const {
  if (const std::string* entry = playOrder_.GetEntry(indexOfLastImage)) return *entry;
  return std::nullopt;
}
