#include "internet/save/save_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const std::vector<uint8_t> kJpeg{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10};
const std::vector<uint8_t> kPng{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Case {
  std::string fileName;
  std::string expected;
};

void ExpectNames(const std::vector<Case>& cases, const std::vector<uint8_t>& bytes) {
  for (const auto& c : cases) {
    EXPECT_EQ(ProposedSaveName(c.fileName, bytes), c.expected) << "file name: \"" << c.fileName << "\"";
  }
}

TEST(ProposedSaveName, QueryAndFragmentAreCut) {
  ExpectNames({
                  {"sunset.jpg", "sunset.jpg"},
                  {"th?id=OHR.Sea.jpg&rf=1", "th.jpg"},  // no extension left: the bytes give one
                  {"photo.jpg?w=1920&h=1080", "photo.jpg"},
                  {"photo.jpg#top", "photo.jpg"},
                  {"photo.png#a?b", "photo.png"},  // whichever comes first
                  {"?id=5", "wallpaper.jpg"},
              },
              kJpeg);
  EXPECT_EQ(ProposedSaveName("th?id=OHR.Sea.jpg&rf=1", kPng), "th.png");
}

TEST(ProposedSaveName, ForbiddenAndControlBytesBecomeUnderscores) {
  ExpectNames({
                  {"a.jpg:s", "a.jpg_s"},  // a plain file, not a stream of "a.jpg"
                  {"a<b>c|d\"e*f.jpg", "a_b_c_d_e_f.jpg"},
                  {"dir\\sub/pic.png", "dir_sub_pic.png"},
                  {std::string("tab\there\x01\x1F\x7F.gif"), "tab_here___.gif"},
                  {std::string("nul\0byte.jpg", 12), "nul_byte.jpg"},
              },
              kJpeg);
}

TEST(ProposedSaveName, NamesThatSayNothingBecomeWallpaper) {
  ExpectNames({
                  {"", "wallpaper.jpg"},
                  {"<>:*", "wallpaper.jpg"},
                  {"...", "wallpaper.jpg"},
                  {"  . _ ", "wallpaper.jpg"},
                  {".jpg", "wallpaper.jpg"},     // an extension alone keeps its type
                  {"<>.gif", "wallpaper.gif"},
                  {"a.<>", "a.__.jpg"},          // an extension of underscores is none
              },
              kJpeg);
  EXPECT_EQ(ProposedSaveName("", kPng), "wallpaper.png");
  EXPECT_EQ(ProposedSaveName("???", std::span<const uint8_t>()), "wallpaper.jpg");
}

TEST(ProposedSaveName, TrailingDotsAndBlanksAreDropped) {
  ExpectNames({
                  {"photo.jpg.", "photo.jpg"},
                  {"photo.jpg . .", "photo.jpg"},
                  {"photo.", "photo.jpg"},
                  {"photo.jpg?x. ", "photo.jpg"},
                  {" photo.jpg", " photo.jpg"},  // leading blanks are legal and kept
              },
              kJpeg);
}

TEST(ProposedSaveName, DeviceNamesAreMadeSafe) {
  ExpectNames({
                  {"CON", "_CON.jpg"},
                  {"con.jpg", "_con.jpg"},
                  {"COM1.png", "_COM1.png"},
                  {"LPT9", "_LPT9.jpg"},
                  {"nul.tar.gz", "_nul.tar.gz"},
                  {"Aux .jpg", "_Aux .jpg"},  // Windows ignores the blank before the dot
                  {"prn?x=1", "_prn.jpg"},
                  {"CONIN$.jpg", "_CONIN$.jpg"},
                  {"COM\xB9.jpg", "_COM\xB9.jpg"},          // superscript one, Windows-1252
                  {"lpt\xC2\xB2.jpg", "_lpt\xC2\xB2.jpg"},  // superscript two, UTF-8
                  // Not devices.
                  {"CONSOLE.jpg", "CONSOLE.jpg"},
                  {"COM10.jpg", "COM10.jpg"},
                  {"LPT.jpg", "LPT.jpg"},
                  {"xCON.jpg", "xCON.jpg"},
                  {"photo.con", "photo.con"},
              },
              kJpeg);
}

TEST(ProposedSaveName, BytesAboveAsciiStay) {
  ExpectNames({
                  {"Z\xC3\xBCrich.jpg", "Z\xC3\xBCrich.jpg"},
                  {"Z\xFCrich.jpg", "Z\xFCrich.jpg"},
              },
              kJpeg);
}

TEST(ProposedSaveName, LongNamesAreShortenedKeepingTheExtension) {
  const std::string longName(5000, 'a');
  const std::string shortened = std::string(kMaxSaveNameBytes - 4, 'a');
  ExpectNames({
                  {longName + ".png", shortened + ".png"},
                  {longName, shortened + ".jpg"},
                  {"CON" + longName + ".jpg", "CON" + std::string(kMaxSaveNameBytes - 7, 'a') + ".jpg"},
                  // The cut leaves a device name, checked after it.
                  {"CON" + std::string(5000, ' ') + "x.jpg", "_CON.jpg"},
                  // The device prefix takes one more byte from the end.
                  {"CON." + longName + ".jpg", "_CON." + std::string(kMaxSaveNameBytes - 9, 'a') + ".jpg"},
                  // The cut lands on dots: they go like any trailing dot.
                  {"b" + std::string(5000, '.') + "c.jpg", "b.jpg"},
                  // Only blanks before the cut: nothing is left to name the file.
                  {std::string(5000, ' ') + "x.jpg", "wallpaper.jpg"},
              },
              kJpeg);
  // An "extension" longer than an extension can be is part of the name.
  const std::string longTail = "a." + std::string(5000, 'b');
  EXPECT_EQ(ProposedSaveName(longTail, kPng), longTail.substr(0, kMaxSaveNameBytes - 4) + ".png");
}

TEST(ProposedSaveName, CutDoesNotSplitAUtf8Character) {
  // 196 bytes of room for the stem: "a" and 97 two-byte characters fit, the 98th would be split.
  std::string umlauts;
  for (int i = 0; i < 150; ++i) umlauts += "\xC3\xBC";
  const std::string name = ProposedSaveName("a" + umlauts + ".jpg", kJpeg);
  std::string expected = "a";
  for (int i = 0; i < 97; ++i) expected += "\xC3\xBC";
  EXPECT_EQ(name, expected + ".jpg");
  EXPECT_LE(name.size(), kMaxSaveNameBytes);
}
}  // namespace
