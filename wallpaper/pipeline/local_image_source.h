#pragma once
// The user's image list as a picture source: steps through the play-order
// list with the persisted cursor and seed of the live settings.
#include "imagelist/image_lists.h"
#include "settings/settings.h"
#include "wallpaper/pipeline/image_source.h"

class LocalImageSource final : public ImageSource {
 public:
  LocalImageSource(ImageLists& lists, Settings& live) : lists(lists), live(live) {}

  std::optional<std::string> NextFile(bool forward, int32_t failedInARow) override;
  std::optional<std::string> CurrentFile() const override;
  // Reloads the play-order list from the list file (shuffled when shuffling is on).
  void ReloadPlayOrder();

 private:
  ImageLists& lists;
  Settings& live;
};
