#include "wallpaper/pipeline/local_image_source.h"

std::optional<std::string> LocalImageSource::NextFile(bool forward, int32_t failedInARow) {
  StepResult step = lists.Step(forward, failedInARow, live.ShuffleImagelist != 0, live.IndexOfLastImage, live.LastSeed);
  return step.path;
}

std::optional<std::string> LocalImageSource::CurrentFile() const {
  std::optional<std::string> entry = lists.CurrentImage(live.IndexOfLastImage);
  // A blank entry names no file: restoring then takes the next entry instead.
  if (entry && entry->empty()) return std::nullopt;
  return entry;
}

void LocalImageSource::ReloadPlayOrder() { lists.LoadPlayOrder(live.ShuffleImagelist != 0, live.LastSeed); }
