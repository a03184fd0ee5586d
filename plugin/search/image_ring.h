#pragma once
// The last few images of a single-image search and the one on view. Each
// "next" past the newest is a new download; "previous" walks back through
// what is kept. Not locked itself: the search's image lock guards it.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct KeptImage {
  std::string fileName;
  std::vector<uint8_t> bytes;
};

class ImageRing {
 public:
  static constexpr size_t kKeep = 5;

  // Moves the view one image forward. False when there is none newer (nothing
  // on view yet, or the newest is): the caller downloads and Appends.
  bool StepForward();
  // The new image goes on view; the oldest go while more than kKeep are kept.
  void Append(KeptImage image);

  enum class Back {
    NothingOnView,  // no image yet: nothing to say
    AtOldest,       // the view stays on the oldest kept image
    Moved,
  };
  Back StepBack();

  // Null when nothing is on view.
  const KeptImage* Current() const;
  size_t Size() const { return images_.size(); }
  void Clear();

 private:
  std::deque<KeptImage> images_;  // oldest first
  size_t view_ = kNone;
  static constexpr size_t kNone = static_cast<size_t>(-1);
};
