#include "imagelist/image_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "imagelist/startup_load.h"
#include "imagelist/tests/test_files.h"

namespace {

using Strings = std::vector<std::string>;

Strings Paths(int n) {
  Strings s;
  for (int i = 0; i < n; ++i) s.push_back("C:\\p\\" + std::string(1, static_cast<char>('a' + i)) + ".jpg");
  return s;
}

Strings ShuffledOrder(const Strings& stored, int32_t seed) {
  Playlist p;
  p.AddEntries(stored);
  p.Shuffle(seed, kShufflePasses);
  return p.Entries();
}

// A list file on disk and the two lists loaded from it.
struct Fixture {
  TempFolder dir;
  Strings stored = Paths(5);
  ImageLists lists;
  explicit Fixture(bool shuffle, int32_t seed = 0) {
    Playlist p;
    p.AddEntries(stored);
    EXPECT_TRUE(p.Save(dir.File("user.PLS"), kFormatPLS));
    lists.SetListFilePath(dir.File("user.PLS"));
    lists.ReloadBoth(shuffle, seed);
  }
};

TEST(ImageListsStep, ForwardAndBackWithoutShuffleWrap) {
  Fixture f(false);
  int32_t index = 3, seed = 9;
  struct Move {
    bool forward;
    int32_t index;
  } moves[] = {{true, 4}, {true, 0}, {false, 4}, {false, 3}};
  for (const Move& m : moves) {
    StepResult r = f.lists.Step(m.forward, 0, false, index, seed);
    ASSERT_TRUE(r.path);
    EXPECT_TRUE(r.saveSettings);
    EXPECT_EQ(index, m.index);
    EXPECT_EQ(*r.path, f.stored[static_cast<size_t>(m.index)]);
    EXPECT_EQ(seed, 9);
  }
}

TEST(ImageListsStep, ShuffledWrapRebuildsNextAndPreviousPass) {
  Fixture f(true, 10);
  ASSERT_EQ(f.lists.PlayOrder().Entries(), ShuffledOrder(f.stored, 10));
  int32_t index = 4, seed = 10;

  // Past the last entry: the order of seed 11, first entry.
  StepResult r = f.lists.Step(true, 0, true, index, seed);
  ASSERT_TRUE(r.path);
  EXPECT_TRUE(r.saveSettings);
  EXPECT_EQ(seed, 11);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(f.lists.PlayOrder().Entries(), ShuffledOrder(f.stored, 11));
  EXPECT_EQ(*r.path, ShuffledOrder(f.stored, 11)[0]);

  // Back over index 0: the order shown before (seed 10), last entry.
  r = f.lists.Step(false, 0, true, index, seed);
  ASSERT_TRUE(r.path);
  EXPECT_EQ(seed, 10);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(f.lists.PlayOrder().Entries(), ShuffledOrder(f.stored, 10));
  EXPECT_EQ(*r.path, ShuffledOrder(f.stored, 10)[4]);
  // The master list is never reordered.
  EXPECT_EQ(f.lists.Master().Entries(), f.stored);
}

TEST(ImageListsStep, StoredValuesAtTheEndsOfTheRangeWrap) {
  struct Case {
    int32_t index, seed;
    bool forward;
    int32_t wantIndex, wantSeed;
  } cases[] = {
      {INT32_MAX, INT32_MAX, true, 0, INT32_MIN},
      {INT32_MIN, INT32_MIN, false, 4, INT32_MAX},
      {-7, 0, true, 0, 1},  // a cursor left invalid by a shorter list
      {99, 0, false, 4, -1},
  };
  for (const Case& c : cases) {
    Fixture f(true, c.seed);
    int32_t index = c.index, seed = c.seed;
    StepResult r = f.lists.Step(c.forward, 0, true, index, seed);
    ASSERT_TRUE(r.path) << c.index;
    EXPECT_EQ(index, c.wantIndex) << c.index;
    EXPECT_EQ(seed, c.wantSeed) << c.index;
    EXPECT_EQ(*r.path, ShuffledOrder(f.stored, c.wantSeed)[static_cast<size_t>(c.wantIndex)]);
  }
}

TEST(ImageListsStep, NothingWhenEveryEntryFailedOrListEmpty) {
  Fixture f(false);
  int32_t index = 1, seed = 0;
  StepResult r = f.lists.Step(true, 5, false, index, seed);
  EXPECT_FALSE(r.path);
  EXPECT_FALSE(r.saveSettings);
  EXPECT_EQ(index, 1);
  r = f.lists.Step(true, 4, false, index, seed);
  EXPECT_TRUE(r.path);

  ImageLists none;
  none.SetListFilePath(f.dir.File("missing.PLS"));
  none.ReloadBoth(true, 0);
  index = 0;
  r = none.Step(true, 0, true, index, seed);
  EXPECT_FALSE(r.path);
  EXPECT_EQ(index, 0);
}

TEST(ImageListsStep, ListFileGoneAtWrapYieldsNothing) {
  Fixture f(true, 3);
  std::remove(f.dir.File("user.PLS").c_str());
  int32_t index = 4, seed = 3;
  StepResult r = f.lists.Step(true, 0, true, index, seed);
  EXPECT_FALSE(r.path);
  EXPECT_EQ(f.lists.PlayOrder().Count(), 0);
  EXPECT_FALSE(f.lists.CurrentImage(0));
}

TEST(ImageLists, CurrentImage) {
  Fixture f(false);
  EXPECT_EQ(f.lists.CurrentImage(2), f.stored[2]);
  EXPECT_FALSE(f.lists.CurrentImage(5));
  EXPECT_FALSE(f.lists.CurrentImage(-1));
}

TEST(ListFileName, FromUserName) {
  EXPECT_EQ(ListFileName("alice"), "alice.PLS");
  EXPECT_EQ(ListFileName(""), "KQ_SF.PLS");
  EXPECT_EQ(ListFileName(nullptr), "KQ_SF.PLS");
}

// Start-up against real files; the pictures scan is a stand-in.
struct StartupFixture {
  TempFolder appData, program;
  std::vector<std::string> logLines;
  int scans = 0;
  Strings scanResult;
  StartupLoadOptions Options(bool shuffle = false, int32_t seed = 0) {
    StartupLoadOptions o;
    o.listFilePath = appData.File("user.PLS");
    o.legacyListFilePath = program.File("user.PLS");
    o.shuffle = shuffle;
    o.lastSeed = seed;
    o.scanPictures = [this](Playlist& p) {
      ++scans;
      p.AddEntries(scanResult);
      return !scanResult.empty();
    };
    o.log = [this](const std::string& line) { logLines.push_back(line); };
    return o;
  }
};

void SaveList(const std::string& path, const Strings& entries) {
  Playlist p;
  p.AddEntries(entries);
  ASSERT_TRUE(p.Save(path, kFormatPLS));
}

TEST(StartupLoad, ExistingListIsLoadedAndShuffled) {
  StartupFixture s;
  SaveList(s.appData.File("user.PLS"), Paths(6));
  ImageLists lists;
  LoadImageListsAtStartup(lists, s.Options(true, 42));
  EXPECT_EQ(s.scans, 0);
  EXPECT_EQ(lists.Master().Entries(), Paths(6));
  EXPECT_EQ(lists.PlayOrder().Entries(), ShuffledOrder(Paths(6), 42));
  EXPECT_EQ(s.logLines, (Strings{"Reading playlist into internal use object", "Shuffling playlist"}));
}

TEST(StartupLoad, LegacyListMovesIntoTheDataFolder) {
  StartupFixture s;
  WriteBytes(s.program.File("user.PLS"), "[playlist]\nFile1=C:\\old.jpg\nVersion=2");
  ImageLists lists;
  LoadImageListsAtStartup(lists, s.Options());
  EXPECT_FALSE(Exists(s.program.File("user.PLS")));
  EXPECT_EQ(lists.Master().Entries(), (Strings{"C:\\old.jpg"}));
  EXPECT_EQ(lists.PlayOrder().Entries(), (Strings{"C:\\old.jpg"}));
  EXPECT_EQ(s.scans, 0);
}

TEST(StartupLoad, LegacyListStaysWhenTheDataFolderHasOne) {
  StartupFixture s;
  SaveList(s.appData.File("user.PLS"), {"C:\\new.jpg"});
  WriteBytes(s.program.File("user.PLS"), "[playlist]\nFile1=C:\\old.jpg\nVersion=2");
  ImageLists lists;
  LoadImageListsAtStartup(lists, s.Options());
  EXPECT_TRUE(Exists(s.program.File("user.PLS")));
  EXPECT_EQ(lists.Master().Entries(), (Strings{"C:\\new.jpg"}));
}

TEST(StartupLoad, LegacyListKeptWhenItCannotBeSaved) {
  StartupFixture s;
  WriteBytes(s.program.File("user.PLS"), "[playlist]\nFile1=C:\\old.jpg\nVersion=2");
  StartupLoadOptions o = s.Options();
  o.listFilePath = s.appData.File("no/such/folder/user.PLS");
  ImageLists lists;
  LoadImageListsAtStartup(lists, o);
  EXPECT_TRUE(Exists(s.program.File("user.PLS")));
}

TEST(StartupLoad, MissingOrEmptyListIsBuiltFromPictures) {
  for (bool emptyFile : {false, true}) {
    StartupFixture s;
    if (emptyFile) WriteBytes(s.appData.File("user.PLS"), "[playlist]\nNumberOfEntries=0\nVersion=2");
    s.scanResult = Paths(3);
    ImageLists lists;
    LoadImageListsAtStartup(lists, s.Options());
    EXPECT_EQ(s.scans, 1);
    EXPECT_EQ(lists.Master().Entries(), Paths(3));
    EXPECT_EQ(lists.PlayOrder().Entries(), Paths(3));
    ASSERT_EQ(s.logLines.size(), 2u);
    EXPECT_EQ(s.logLines[0], "Saving new playlist at: " + s.appData.File("user.PLS") + "\nNumber of images: 3");
    EXPECT_EQ(s.logLines[1], "Reading playlist into internal use object");
  }
}

// A list file that is there but cannot be read, made in place at path.
enum class Unreadable { kOverSizeCap, kFolder };

void MakeUnreadable(const std::string& path, Unreadable kind) {
  if (kind == Unreadable::kFolder) {
    std::filesystem::create_directories(path);
    WriteBytes(path + "/inside.txt", "still the user's");
    return;
  }
  WriteBytes(path, "[playlist]\nFile1=C:\\mine.jpg\n");
  std::filesystem::resize_file(path, Playlist::kMaxListFileBytes + 1);
}

// What is found at the set-aside name: the same kind of thing that was made.
void ExpectKeptAside(const std::string& aside, Unreadable kind) {
  if (kind == Unreadable::kFolder) {
    EXPECT_EQ(ReadBytes(aside + "/inside.txt"), "still the user's");
    return;
  }
  ASSERT_TRUE(std::filesystem::is_regular_file(aside));
  EXPECT_EQ(std::filesystem::file_size(aside), Playlist::kMaxListFileBytes + 1);
  EXPECT_EQ(ReadBytes(aside).substr(0, 10), "[playlist]");
}

TEST(StartupLoad, UnreadableListIsMovedAsideBeforeTheScanIsSaved) {
  for (Unreadable kind : {Unreadable::kOverSizeCap, Unreadable::kFolder}) {
    SCOPED_TRACE(static_cast<int>(kind));
    StartupFixture s;
    const std::string list = s.appData.File("user.PLS");
    const std::string aside = s.appData.File("user.PLS.bad");
    MakeUnreadable(list, kind);
    // An older set-aside file gives way (a folder is only ever moved to a free name).
    if (kind == Unreadable::kOverSizeCap) WriteBytes(aside, "older");
    s.scanResult = Paths(2);
    ImageLists lists;
    LoadImageListsAtStartup(lists, s.Options());
    EXPECT_EQ(SetAsideListFilePath(list), aside);
    ExpectKeptAside(aside, kind);
    Playlist saved;
    ASSERT_TRUE(saved.Load(list));
    EXPECT_EQ(saved.Entries(), Paths(2));
    EXPECT_EQ(lists.Master().Entries(), Paths(2));
    EXPECT_EQ(lists.PlayOrder().Entries(), Paths(2));
    EXPECT_EQ(s.logLines, (Strings{"Playlist could not be read, kept as: " + aside,
                                   "Saving new playlist at: " + list + "\nNumber of images: 2",
                                   "Reading playlist into internal use object"}));
  }
}

TEST(StartupLoad, UnreadableListThatCannotBeMovedIsNotSavedOver) {
  StartupFixture s;
  const std::string list = s.appData.File("user.PLS");
  MakeUnreadable(list, Unreadable::kOverSizeCap);
  s.scanResult = Paths(3);
  StartupLoadOptions o = s.Options(true, 9);
  std::vector<std::pair<std::string, std::string>> moves;
  o.moveFile = [&](const std::string& from, const std::string& to) {
    moves.emplace_back(from, to);
    return false;
  };
  ImageLists lists;
  LoadImageListsAtStartup(lists, o);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].first, list);
  EXPECT_EQ(moves[0].second, list + ".bad");
  EXPECT_EQ(std::filesystem::file_size(list), Playlist::kMaxListFileBytes + 1);
  EXPECT_EQ(ReadBytes(list).substr(0, 10), "[playlist]");
  // The scan still serves this run.
  EXPECT_EQ(lists.Master().Entries(), Paths(3));
  EXPECT_EQ(lists.PlayOrder().Entries(), ShuffledOrder(Paths(3), 9));
  EXPECT_EQ(s.logLines,
            (Strings{"Playlist could not be read nor moved aside, new playlist not saved: " + list,
                     "Reading playlist into internal use object", "Shuffling playlist"}));
}

TEST(StartupLoad, ListIsMovedAsideOnlyWhenItIsThereUnreadableAndAScanReplacesIt) {
  struct Case {
    const char* name;
    bool unreadable;     // else: missing, or a readable empty list
    bool emptyList;
    bool scanFindsFiles;
  } cases[] = {
      {"missing", false, false, true},
      {"readable but empty", false, true, true},
      {"unreadable, scan finds nothing", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartupFixture s;
    const std::string list = s.appData.File("user.PLS");
    if (c.unreadable) MakeUnreadable(list, Unreadable::kOverSizeCap);
    if (c.emptyList) WriteBytes(list, "[playlist]\nNumberOfEntries=0\nVersion=2");
    if (c.scanFindsFiles) s.scanResult = Paths(1);
    int moves = 0;
    StartupLoadOptions o = s.Options();
    o.moveFile = [&](const std::string&, const std::string&) { return ++moves, true; };
    ImageLists lists;
    LoadImageListsAtStartup(lists, o);
    EXPECT_EQ(moves, 0);
    EXPECT_FALSE(Exists(list + ".bad"));
    if (c.unreadable) {
      EXPECT_EQ(std::filesystem::file_size(list), Playlist::kMaxListFileBytes + 1);
    }
  }
}

TEST(StartupLoad, NothingAnywhereLeavesBothListsEmpty) {
  StartupFixture s;
  ImageLists lists;
  LoadImageListsAtStartup(lists, s.Options(true, 1));
  EXPECT_EQ(s.scans, 1);
  EXPECT_EQ(lists.Master().Count(), 0);
  EXPECT_EQ(lists.PlayOrder().Count(), 0);
  EXPECT_FALSE(Exists(s.appData.File("user.PLS")));
}

}  // namespace
