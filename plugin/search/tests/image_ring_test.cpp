#include <gtest/gtest.h>

#include <string>

#include "plugin/search/image_ring.h"

namespace {
KeptImage Img(const std::string& name) { return KeptImage{name, {uint8_t(name[0])}}; }
std::string OnView(const ImageRing& r) { return r.Current() ? r.Current()->fileName : "-"; }
}  // namespace

TEST(ImageRing, NothingOnViewAtFirst) {
  ImageRing r;
  EXPECT_EQ(r.Current(), nullptr);
  EXPECT_FALSE(r.StepForward());  // the first next downloads
  EXPECT_EQ(r.StepBack(), ImageRing::Back::NothingOnView);
}

TEST(ImageRing, KeepsFiveAndDropsTheOldest) {
  ImageRing r;
  for (const char* n : {"1", "2", "3", "4", "5", "6"}) {
    EXPECT_FALSE(r.StepForward());  // on the newest: each next downloads anew
    r.Append(Img(n));
    EXPECT_EQ(OnView(r), n);
  }
  EXPECT_EQ(r.Size(), 5u);
  // Walk back through all five kept images; "1" is gone.
  for (const char* n : {"5", "4", "3", "2"}) {
    EXPECT_EQ(r.StepBack(), ImageRing::Back::Moved);
    EXPECT_EQ(OnView(r), n);
  }
  EXPECT_EQ(r.StepBack(), ImageRing::Back::AtOldest);
  EXPECT_EQ(OnView(r), "2");
}

TEST(ImageRing, ForwardWalksKeptImagesBeforeDownloading) {
  ImageRing r;
  r.Append(Img("a"));
  r.Append(Img("b"));
  r.Append(Img("c"));
  r.StepBack();
  r.StepBack();
  EXPECT_EQ(OnView(r), "a");
  EXPECT_TRUE(r.StepForward());
  EXPECT_EQ(OnView(r), "b");
  EXPECT_TRUE(r.StepForward());
  EXPECT_EQ(OnView(r), "c");
  EXPECT_FALSE(r.StepForward());  // past the newest: a download, view unchanged
  EXPECT_EQ(OnView(r), "c");
}

TEST(ImageRing, OneImageIsTheOldest) {
  ImageRing r;
  r.Append(Img("a"));
  EXPECT_EQ(r.StepBack(), ImageRing::Back::AtOldest);
  EXPECT_EQ(OnView(r), "a");
  r.Clear();
  EXPECT_EQ(r.Current(), nullptr);
}
