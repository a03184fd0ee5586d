#include "imagelist/file_util.h"

#include <gtest/gtest.h>

#include <string>

#include "imagelist/file_system.h"
#include "imagelist/tests/test_files.h"

namespace {

TEST(ReadTextFile, CrLfPairsBecomeLineFeeds) {
  TempFolder dir;
  struct Case {
    std::string bytes, text;
  } cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\rb\n\r", "a\rb\n\r"},  // only pairs are reduced
      {"\r\r\n", "\r\n"},
      {std::string("\x1A" "after", 6), std::string("\x1A" "after", 6)},  // no end-of-file byte
      {"", ""},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File("t.txt"), c.bytes);
    std::string out = "stale";
    EXPECT_EQ(ReadTextFile(dir.File("t.txt"), 1000, out), ReadResult::kOk);
    EXPECT_EQ(out, c.text);
  }
}

TEST(ReadTextFile, LimitsAndFailures) {
  TempFolder dir;
  WriteBytes(dir.File("ten"), "0123456789");
  std::string out;
  EXPECT_EQ(ReadTextFile(dir.File("ten"), 10, out), ReadResult::kOk);
  EXPECT_EQ(ReadTextFile(dir.File("ten"), 9, out), ReadResult::kTooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadTextFile(dir.File("none"), 10, out), ReadResult::kOpenFailed);
}

TEST(WriteFileReplacing, ReplacesWholeAndLeavesNoScratch) {
  TempFolder dir;
  const std::string path = dir.File("list.pls");
  WriteBytes(path, "old content that is longer");
  ASSERT_TRUE(WriteFileReplacing(path, "new"));
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_FALSE(Exists(path + ".new"));
  EXPECT_FALSE(WriteFileReplacing(dir.File("missing/list.pls"), "x"));
}

TEST(FileHelpers, ExistsAndWritable) {
  TempFolder dir;
  WriteBytes(dir.File("f"), "x");
  EXPECT_TRUE(FileExists(dir.File("f")));
  EXPECT_FALSE(FileExists(dir.File("g")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(PathExists(dir.Path()));
  EXPECT_FALSE(PathExists(dir.File("g")));
  EXPECT_TRUE(FolderIsWritable(dir.Path()));
  EXPECT_FALSE(FolderIsWritable(dir.File("g")));
  EXPECT_FALSE(Exists(dir.File("-2147483648.tmp")));
}

}  // namespace
