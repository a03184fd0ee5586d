#include "support/resources/resource_archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/tests/temp_dir.h"

namespace {

std::string Le32(std::uint32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

std::string Entry(const std::string& name, std::uint32_t offset, std::uint32_t size) {
  return name + std::string(1, '\0') + Le32(offset) + Le32(size);
}

struct Member {
  std::string name;
  std::string bytes;
};

// A host file (prefix) with members back to back after it, then the directory
// and its offset, as the build lays them out.
std::string Archive(const std::string& prefix, const std::vector<Member>& members) {
  std::string body = prefix;
  std::string directory;
  for (const Member& m : members) {
    directory += Entry(m.name, static_cast<std::uint32_t>(body.size()), static_cast<std::uint32_t>(m.bytes.size()));
    body += m.bytes;
  }
  const auto at = static_cast<std::uint32_t>(body.size());
  return body + directory + Le32(at);
}

const std::string kHost = "MZ\x90\x00 pretend program image, ends here.";
const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "picture bytes";

std::string Bytes(const std::uint8_t* p, std::int32_t size) {
  return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(size));
}

class ResourceArchiveTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes, const std::string& name = "host.exe") {
    const std::string path = dir_.File(name);
    WriteWholeFile(path, bytes);
    return path;
  }

  void ExpectNothingOpen(const ResourceArchive& archive) {
    EXPECT_EQ(archive.DirectoryOffset(), -1);
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_TRUE(archive.Entries().empty());
    EXPECT_EQ(archive.IndexOf("header_graphic.png"), -1);
    EXPECT_EQ(archive.SizeOf("header_graphic.png"), -1);
  }

  TempDir dir_;
};

TEST_F(ResourceArchiveTest, ReadsMembersByNameAfterTheHostImage) {
  const std::string path = Write(Archive(kHost, {{"header_graphic.png", kPng}, {"banner.bmp", "BMxyz"}}));
  ResourceArchive archive;
  ASSERT_TRUE(archive.Open(path));
  EXPECT_EQ(archive.Count(), 2);
  EXPECT_EQ(archive.DirectoryOffset(), static_cast<std::int32_t>(kHost.size() + kPng.size() + 5));
  // The directory is kept in name order, whatever order the file has.
  ASSERT_EQ(archive.Entries().size(), 2u);
  EXPECT_EQ(archive.Entries()[0].name, "banner.bmp");
  EXPECT_EQ(archive.Entries()[1].name, "header_graphic.png");
  EXPECT_EQ(archive.IndexOf("banner.bmp"), 0);
  EXPECT_EQ(archive.IndexOf("header_graphic.png"), 1);
  EXPECT_EQ(archive.SizeOf("header_graphic.png"), static_cast<std::int32_t>(kPng.size()));

  EXPECT_EQ(archive.Loaded("header_graphic.png"), nullptr);
  const std::uint8_t* png = archive.Load("header_graphic.png");
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(Bytes(png, archive.SizeOf("header_graphic.png")), kPng);
  EXPECT_EQ(archive.Loaded("header_graphic.png"), png);
  EXPECT_EQ(archive.Loaded("banner.bmp"), nullptr);
  const std::uint8_t* bmp = archive.Load("banner.bmp");
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(Bytes(bmp, archive.SizeOf("banner.bmp")), "BMxyz");

  archive.FreeAll();
  EXPECT_EQ(archive.Loaded("header_graphic.png"), nullptr);
  EXPECT_EQ(archive.Loaded("banner.bmp"), nullptr);
  EXPECT_EQ(archive.Count(), 2);
  // Freed members load again.
  ASSERT_NE(archive.Load("banner.bmp"), nullptr);

  archive.Close();
  ExpectNothingOpen(archive);
  EXPECT_TRUE(archive.Path().empty());
  EXPECT_EQ(archive.Load("banner.bmp"), nullptr);
}

TEST_F(ResourceArchiveTest, NamesMatchWholeAndCaseSensitively) {
  const std::string path = Write(Archive(kHost, {{"header_graphic.png", kPng}}));
  ResourceArchive archive;
  ASSERT_TRUE(archive.Open(path));
  for (const char* other : {"Header_Graphic.png", "header_graphic.PNG", "HEADER_GRAPHIC.PNG", "header_graphic",
                            "header_graphic.png ", "header_graphic.pngx", "eader_graphic.png", ""}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(archive.IndexOf(other), -1);
    EXPECT_EQ(archive.SizeOf(other), -1);
    EXPECT_EQ(archive.Load(other), nullptr);
    EXPECT_EQ(archive.Loaded(other), nullptr);
  }
  EXPECT_EQ(archive.IndexOf(nullptr), -1);
  EXPECT_EQ(archive.SizeOf(nullptr), -1);
  EXPECT_EQ(archive.Load(nullptr), nullptr);
  EXPECT_EQ(archive.Loaded(nullptr), nullptr);
  EXPECT_EQ(archive.IndexOf("header_graphic.png"), 0);
}

TEST_F(ResourceArchiveTest, EmptyMembersAndDirectories) {
  {
    const std::string path = Write(Archive(kHost, {{"empty.bin", ""}, {"one.bin", "1"}}));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path));
    EXPECT_EQ(archive.SizeOf("empty.bin"), 0);
    // An empty member loads: success is told by a pointer, not by a size.
    EXPECT_NE(archive.Load("empty.bin"), nullptr);
    EXPECT_NE(archive.Loaded("empty.bin"), nullptr);
    ASSERT_NE(archive.Load("one.bin"), nullptr);
    EXPECT_EQ(*archive.Loaded("one.bin"), '1');
  }
  {
    // A directory with no entry: an archive that holds nothing.
    const std::string path = Write(Archive(kHost, {}));
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path));
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_EQ(archive.DirectoryOffset(), static_cast<std::int32_t>(kHost.size()));
    EXPECT_EQ(archive.IndexOf("header_graphic.png"), -1);
  }
}

TEST_F(ResourceArchiveTest, TheFirstOfTwoEqualNamesIsKept) {
  const std::string path = Write(Archive(kHost, {{"a.png", "first"}, {"b.png", "bee"}, {"a.png", "second"}}));
  ResourceArchive archive;
  ASSERT_TRUE(archive.Open(path));
  EXPECT_EQ(archive.Count(), 2);
  ASSERT_EQ(archive.SizeOf("a.png"), 5);
  ASSERT_NE(archive.Load("a.png"), nullptr);
  EXPECT_EQ(Bytes(archive.Loaded("a.png"), 5), "first");
}

// Every damaged or foreign file opens as nothing.
TEST_F(ResourceArchiveTest, RefusesFilesWithoutASoundArchive) {
  const std::string png = kPng;
  const auto host = static_cast<std::uint32_t>(kHost.size());
  const auto dirAt = host + static_cast<std::uint32_t>(png.size());
  const std::string good = Archive(kHost, {{"header_graphic.png", png}});
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"shorter than the directory offset", "\x01\x00\x00"},
      {"plain text", "just some words in a file, no archive here\n"},
      {"a program image alone", kHost},
      {"zeros (one entry of an empty name)", std::string(13, '\0')},
      {"an entry of an empty name", kHost + png + Entry("", host, 1) + Le32(dirAt)},
      {"directory offset past the end", kHost + Le32(host + 5)},
      {"directory offset one past the last four bytes", kHost + Le32(host + 1)},
      {"directory offset of the largest value", kHost + png + Entry("a", host, 1) + Le32(0xFFFFFFFFu)},
      {"directory offset beyond the int32 range", kHost + Le32(0x80000000u)},
      {"entry ends before the last four bytes", kHost + png + Entry("a", host, 1) + "xyz" + Le32(dirAt)},
      {"entry runs into the last four bytes", kHost + png + "a" + std::string(1, '\0') + Le32(host) + Le32(dirAt)},
      {"name without a NUL", kHost + png + "header_graphic.png" + Le32(dirAt)},
      {"directory starts inside an entry", good.substr(0, good.size() - 4) + Le32(dirAt + 21)},
      {"member size past the end of the file", kHost + png + Entry("a", host, 0x7FFFFFF0u) + Le32(dirAt)},
      {"member offset past the end of the file", kHost + png + Entry("a", 0x7FFFFFF0u, 1) + Le32(dirAt)},
      {"member runs into the directory", kHost + png + Entry("a", host, static_cast<std::uint32_t>(png.size()) + 1) +
                                               Le32(dirAt)},
      {"member offset and size wrap around 32 bits", kHost + png + Entry("a", 0xFFFFFFF0u, 0x20u) + Le32(dirAt)},
      {"one good entry then a damaged one",
       kHost + png + Entry("a", host, 1) + Entry("b", 0x7FFFFFF0u, 1) + Le32(dirAt)},
      {"good archive cut by one byte", good.substr(0, good.size() - 1)},
      {"good archive with a byte after it", good + "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write(c.file);
    ResourceArchive archive;
    EXPECT_FALSE(archive.Open(path));
    ExpectNothingOpen(archive);
    EXPECT_EQ(archive.Load("a"), nullptr);
  }
}

TEST_F(ResourceArchiveTest, RefusesADirectoryOfHugeCount) {
  // Tiny entries, each in range, but far more than any program carries.
  std::string directory;
  const auto host = static_cast<std::uint32_t>(kHost.size());
  while (directory.size() <= ResourceArchive::kMaxDirectoryBytes) directory += Entry("x", host, 0);
  ResourceArchive archive;
  EXPECT_FALSE(archive.Open(Write(kHost + directory + Le32(host))));
  ExpectNothingOpen(archive);
}

TEST_F(ResourceArchiveTest, MissingFileAndReopening) {
  ResourceArchive archive;
  EXPECT_FALSE(archive.Open(dir_.File("no such file.exe")));
  ExpectNothingOpen(archive);
  EXPECT_FALSE(archive.Open(dir_.path().string()));  // a folder
  ExpectNothingOpen(archive);

  ASSERT_TRUE(archive.Open(Write(Archive(kHost, {{"one.png", "1"}}), "one.exe")));
  ASSERT_NE(archive.Load("one.png"), nullptr);
  // A second Open drops the first directory and what it loaded.
  ASSERT_TRUE(archive.Open(Write(Archive(kHost, {{"two.png", "22"}}), "two.exe")));
  EXPECT_EQ(archive.Count(), 1);
  EXPECT_EQ(archive.IndexOf("one.png"), -1);
  EXPECT_EQ(archive.Loaded("two.png"), nullptr);
  ASSERT_NE(archive.Load("two.png"), nullptr);
  // A failed Open leaves nothing of the earlier archive either.
  EXPECT_FALSE(archive.Open(Write("no archive", "plain.txt")));
  ExpectNothingOpen(archive);
}

TEST_F(ResourceArchiveTest, LoadFailsWhenTheFileChangedAfterOpen) {
  const std::string file = Archive(kHost, {{"header_graphic.png", kPng}});
  const std::string path = Write(file);
  {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path));
    // Cut inside the member: a short read is no picture.
    std::filesystem::resize_file(path, kHost.size() + 3);
    EXPECT_EQ(archive.Load("header_graphic.png"), nullptr);
    EXPECT_EQ(archive.Loaded("header_graphic.png"), nullptr);
  }
  {
    WriteWholeFile(path, file);
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(path));
    std::filesystem::remove(path);
    EXPECT_EQ(archive.Load("header_graphic.png"), nullptr);
  }
}

TEST_F(ResourceArchiveTest, NeverLoadsAMemberAboveTheCap) {
  // A sparse host whose one member is just above the cap and lies in range.
  const std::string path = dir_.File("big.exe");
  const std::uint32_t size = ResourceArchive::kMaxMemberBytes + 1;
  {
    std::ofstream out(path, std::ios::binary);
    out << kHost;
  }
  std::filesystem::resize_file(path, kHost.size() + size);
  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << Entry("big.png", static_cast<std::uint32_t>(kHost.size()), size)
        << Le32(static_cast<std::uint32_t>(kHost.size()) + size);
  }
  ResourceArchive archive;
  ASSERT_TRUE(archive.Open(path));
  EXPECT_EQ(archive.SizeOf("big.png"), static_cast<std::int32_t>(size));
  EXPECT_EQ(archive.Load("big.png"), nullptr);
  EXPECT_EQ(archive.Loaded("big.png"), nullptr);
}

}  // namespace
