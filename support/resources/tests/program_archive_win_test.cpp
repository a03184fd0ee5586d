// The archive the build appends to the real Skyframe.exe, read as the
// settings dialog reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/resources/resource_archive.h"

namespace {

std::string ProgramBesideThisTest() {
  char self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, n);
  return path.substr(0, path.find_last_of("\\/") + 1) + "Skyframe.exe";
}

TEST(ProgramArchive, CarriesTheHeaderPicture) {
  ResourceArchive archive;
  ASSERT_TRUE(archive.Open(ProgramBesideThisTest()));
  const std::int32_t size = archive.SizeOf("header_graphic.png");
  ASSERT_GT(size, 8);
  const std::uint8_t* png = archive.Load("header_graphic.png");
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(std::memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
  // The file ends in IEND: the member is whole, not cut or padded.
  ASSERT_GT(size, 12);
  EXPECT_EQ(std::memcmp(png + size - 8, "IEND\xae\x42\x60\x82", 8), 0);

  // Members follow one another without gaps and the directory follows the last.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
  for (const ResourceEntry& entry : archive.Entries()) spans.emplace_back(entry.offset, entry.size);
  std::sort(spans.begin(), spans.end());
  std::uint32_t end = spans.front().first;
  for (const auto& [offset, length] : spans) {
    EXPECT_EQ(offset, end);
    end = offset + length;
  }
  EXPECT_EQ(static_cast<std::int32_t>(end), archive.DirectoryOffset());
}

}  // namespace
