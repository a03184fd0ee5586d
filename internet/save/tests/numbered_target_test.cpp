#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "internet/save/save_name.h"

namespace {
struct Case {
  const char* what;
  std::string folder;
  std::string name;
  std::set<std::string> existing;
  int maxTries;
  std::optional<std::string> expected;
};

TEST(NumberedSaveTarget, Table) {
  const std::vector<Case> cases = {
      {"free name", "C:\\Pics", "sunset.jpg", {}, 10, "C:\\Pics\\sunset.jpg"},
      {"taken once", "C:\\Pics", "sunset.jpg", {"C:\\Pics\\sunset.jpg"}, 10, "C:\\Pics\\sunset(1).jpg"},
      {"taken twice", "C:\\Pics", "sunset.jpg", {"C:\\Pics\\sunset.jpg", "C:\\Pics\\sunset(1).jpg"}, 10,
       "C:\\Pics\\sunset(2).jpg"},
      {"a gap is not reused before it", "C:\\Pics", "sunset.jpg",
       {"C:\\Pics\\sunset.jpg", "C:\\Pics\\sunset(2).jpg"}, 10, "C:\\Pics\\sunset(1).jpg"},
      {"last dot splits", "C:\\Pics", "archive.tar.gz", {"C:\\Pics\\archive.tar.gz"}, 10,
       "C:\\Pics\\archive.tar(1).gz"},
      {"no dot: all base", "C:\\Pics", "README", {"C:\\Pics\\README"}, 10, "C:\\Pics\\README(1)"},
      {"folder with back-slash", "C:\\Pics\\", "a.jpg", {}, 10, "C:\\Pics\\a.jpg"},
      {"drive root", "D:\\", "a.jpg", {"D:\\a.jpg"}, 10, "D:\\a(1).jpg"},
      {"folder with slash", "C:/Pics/", "a.jpg", {}, 10, "C:/Pics/a.jpg"},
      {"two digits", "C:\\P", "a.jpg",
       {"C:\\P\\a.jpg", "C:\\P\\a(1).jpg", "C:\\P\\a(2).jpg", "C:\\P\\a(3).jpg", "C:\\P\\a(4).jpg",
        "C:\\P\\a(5).jpg", "C:\\P\\a(6).jpg", "C:\\P\\a(7).jpg", "C:\\P\\a(8).jpg", "C:\\P\\a(9).jpg"},
       10, "C:\\P\\a(10).jpg"},
      {"last try taken", "C:\\P", "a.jpg", {"C:\\P\\a.jpg", "C:\\P\\a(1).jpg", "C:\\P\\a(2).jpg"}, 2,
       std::nullopt},
      {"no tries allowed", "C:\\P", "a.jpg", {"C:\\P\\a.jpg"}, 0, std::nullopt},
      {"no tries needed", "C:\\P", "a.jpg", {}, 0, "C:\\P\\a.jpg"},
      {"negative tries", "C:\\P", "a.jpg", {"C:\\P\\a.jpg"}, -1, std::nullopt},
      {"no folder", "", "a.jpg", {}, 10, std::nullopt},
      {"no name", "C:\\P", "", {}, 10, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto exists = [&](const std::string& path) { return c.existing.count(path) != 0; };
    EXPECT_EQ(NumberedSaveTarget(c.folder, c.name, exists, c.maxTries), c.expected) << c.what;
  }
}

TEST(NumberedSaveTarget, EndsWhenEveryNumberIsTaken) {
  // A folder where everything "exists" (a broken share, a check that always
  // answers yes) must end after the allowed tries, not loop.
  int asked = 0;
  const auto always = [&](const std::string&) {
    ++asked;
    return true;
  };
  EXPECT_EQ(NumberedSaveTarget("C:\\P", "a.jpg", always, 1000), std::nullopt);
  EXPECT_EQ(asked, 1001);
}
}  // namespace
