#include "plugin/search/image_ring.h"

bool ImageRing::StepForward() {
  if (view_ == kNone || view_ + 1 >= images_.size()) return false;
  ++view_;
  return true;
}

void ImageRing::Append(KeptImage image) {
  images_.push_back(std::move(image));
  while (images_.size() > kKeep) images_.pop_front();
  view_ = images_.size() - 1;
}

ImageRing::Back ImageRing::StepBack() {
  if (view_ == kNone) return Back::NothingOnView;
  if (view_ == 0) return Back::AtOldest;
  --view_;
  return Back::Moved;
}

const KeptImage* ImageRing::Current() const { return view_ == kNone ? nullptr : &images_[view_]; }

void ImageRing::Clear() {
  images_.clear();
  view_ = kNone;
}
