// The dialog's list edits on their own: each operation on a small list, the
// selection it leaves and the change marks OK and Cancel act on.
#include "ui/imagelist_dialog/image_list_edit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;
using Indices = std::vector<int32_t>;

struct EditCase {
  const char* name;
  std::function<Indices(ImageListEdit&)> edit;
  Paths expected;
  Indices selection;  // what the edit returns as the new selection (moves only)
  bool replaced;
};

TEST(ImageListEditTest, OperationsGiveTheExpectedList) {
  const Paths start = {"a", "b", "c", "d"};
  const std::vector<EditCase> cases = {
      {"add appends in order", [](ImageListEdit& e) { e.Add({"x", "y"}); return Indices{}; },
       {"a", "b", "c", "d", "x", "y"}, {}, false},
      {"remove scattered, unordered, repeated and out of range",
       [](ImageListEdit& e) { e.Remove({3, 1, 3, -1, 9}); return Indices{}; }, {"a", "c"}, {}, false},
      {"remove everything", [](ImageListEdit& e) { e.Remove({0, 1, 2, 3}); return Indices{}; }, {}, {}, false},
      {"clear", [](ImageListEdit& e) { e.Clear(); return Indices{}; }, {}, {}, true},
      {"replace", [](ImageListEdit& e) { e.Replace({"z"}); return Indices{}; }, {"z"}, {}, true},
      {"up one", [](ImageListEdit& e) { return e.MoveUp({1}); }, {"b", "a", "c", "d"}, {0}, false},
      {"up a block", [](ImageListEdit& e) { return e.MoveUp({2, 3}); }, {"a", "c", "d", "b"}, {1, 2}, false},
      {"up scattered", [](ImageListEdit& e) { return e.MoveUp({1, 3}); }, {"b", "a", "d", "c"}, {0, 2}, false},
      {"up at the top edge does nothing", [](ImageListEdit& e) { return e.MoveUp({0, 2}); },
       {"a", "b", "c", "d"}, {0, 2}, false},
      {"down one", [](ImageListEdit& e) { return e.MoveDown({2}); }, {"a", "b", "d", "c"}, {3}, false},
      {"down a block", [](ImageListEdit& e) { return e.MoveDown({0, 1}); }, {"c", "a", "b", "d"}, {1, 2}, false},
      {"down scattered", [](ImageListEdit& e) { return e.MoveDown({0, 2}); }, {"b", "a", "d", "c"}, {1, 3}, false},
      {"down at the bottom edge does nothing", [](ImageListEdit& e) { return e.MoveDown({1, 3}); },
       {"a", "b", "c", "d"}, {1, 3}, false},
      {"a selection out of range moves nothing", [](ImageListEdit& e) { return e.MoveUp({2, 7}); },
       {"a", "b", "c", "d"}, {2, 7}, false},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    ImageListEdit edit;
    edit.Start(start);
    EXPECT_FALSE(edit.Modified());
    const Indices selection = c.edit(edit);
    EXPECT_EQ(edit.Paths(), c.expected);
    EXPECT_EQ(selection, c.selection);
    EXPECT_EQ(edit.Replaced(), c.replaced);
    // A move that did nothing is no change; every other edit is one.
    EXPECT_EQ(edit.Modified(), edit.Paths() != start || c.replaced);
  }
}

TEST(ImageListEditTest, MovesAcrossALargeListKeepTheOtherLines) {
  Paths start;
  for (int i = 0; i < 20000; ++i) start.push_back(std::to_string(i));
  ImageListEdit edit;
  edit.Start(start);
  Indices selected;
  for (int32_t i = 1; i < 20000; i += 2) selected.push_back(i);
  const Indices moved = edit.MoveUp(selected);
  ASSERT_EQ(moved.size(), selected.size());
  EXPECT_EQ(moved.front(), 0);
  EXPECT_EQ(edit.Paths()[0], "1");
  EXPECT_EQ(edit.Paths()[1], "0");
  EXPECT_EQ(edit.Paths()[19998], "19999");
  EXPECT_EQ(edit.Paths()[19999], "19998");
  EXPECT_EQ(edit.MoveDown(moved), selected);
  EXPECT_EQ(edit.Paths(), start);
}

TEST(ImageListEditTest, LineTextIsTheFileNameWithItsExtension) {
  EXPECT_EQ(LineText("C:\\pics\\sea.jpg"), "sea.jpg");
  EXPECT_EQ(LineText("C:/pics/a.b/sea"), "sea");
  EXPECT_EQ(LineText("plain.png"), "plain.png");
  EXPECT_EQ(LineText("C:\\pics\\"), "");
}

TEST(ImageListEditTest, PickedFilesAreSplitIntoFullPaths) {
  using namespace std::string_literals;
  const struct {
    const char* name;
    std::string result;
    Paths expected;
  } cases[] = {
      {"one file is the path", "C:\\pics\\a.jpg\0\0"s, {"C:\\pics\\a.jpg"}},
      {"several after a folder", "C:\\pics\0a.jpg\0b.png\0\0"s, {"C:\\pics\\a.jpg", "C:\\pics\\b.png"}},
      {"a root folder has its back-slash", "C:\\\0a.jpg\0b.png\0\0"s, {"C:\\a.jpg", "C:\\b.png"}},
      {"nothing picked", "\0\0"s, {}},
      {"a buffer without the final NULs", "C:\\pics\0a.jpg"s, {"C:\\pics\\a.jpg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitPickedFiles(c.result), c.expected);
  }
}

TEST(ImageListEditTest, SavedListsGetTheirExtensionOnce) {
  EXPECT_EQ(WithListExtension("C:\\lists\\mine"), "C:\\lists\\mine.pls");
  EXPECT_EQ(WithListExtension("C:\\lists\\mine.PLS"), "C:\\lists\\mine.PLS");
  EXPECT_EQ(WithListExtension("C:\\lists\\mine.m3u"), "C:\\lists\\mine.m3u.pls");
}

}  // namespace
