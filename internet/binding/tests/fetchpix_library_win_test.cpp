// The plug-in's binding against real libraries: the guard before InitDll and
// after UnloadDll, the three ways a load fails, and the engine list as the
// real Fetchpix.dll reports it.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>

#include "internet/binding/fetchpix_library_win.h"
#include "support/tests/temp_dir.h"

namespace {

std::string BinaryFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string s = path;
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::string Stub(const char* kind) {
  return BinaryFolder() + "..\\test-fixtures\\stub-plugin-" + kind + "\\Fetchpix.dll";
}

// Every call answers PLUGINNOTLOADED without reaching a library.
void ExpectGuarded(FetchpixLibrary& lib) {
  SearchHandle handle = reinterpret_cast<SearchHandle>(1);
  ImageData* image = nullptr;
  bool critical = true;
  EXPECT_FALSE(lib.Initialised());
  EXPECT_EQ(lib.SetOption(FETCHPIX_OPTION_GROUP, 1), PLUGINNOTLOADED);
  EngineList engines{Engine{}};
  EXPECT_EQ(lib.Enumerate(engines), PLUGINNOTLOADED);
  EXPECT_EQ(lib.StartSearch("red car", 1, &handle), PLUGINNOTLOADED);
  EXPECT_EQ(handle, nullptr) << "the out-place is cleared even when nothing is called";
  EXPECT_EQ(lib.StopSearch(handle), PLUGINNOTLOADED);
  EXPECT_EQ(lib.FetchSearch(handle, &image), PLUGINNOTLOADED);
  EXPECT_EQ(lib.QueueImage(handle, true), PLUGINNOTLOADED);
  EXPECT_EQ(lib.FreeImage(&image), PLUGINNOTLOADED);
  EXPECT_EQ(lib.ClearImageCache(), PLUGINNOTLOADED);
  EXPECT_EQ(lib.ClearSpecificHistoryCache("x"), PLUGINNOTLOADED);
  EXPECT_EQ(lib.CondemnImage(handle), PLUGINNOTLOADED);
  EXPECT_EQ(lib.IsCritical(handle, critical), PLUGINNOTLOADED);
  EXPECT_FALSE(critical);
  EXPECT_EQ(lib.Unload(), PLUGINNOTLOADED);
}

TEST(FetchpixLibrary, RefusesEveryCallUntilLoadedAndEachWayALoadFails) {
  TempDir data;
  FetchpixLibrary lib;
  ExpectGuarded(lib);
  const struct {
    const char* name;
    std::string path;
    uint32_t expected;
  } cases[] = {
      {"no such file", BinaryFolder() + "no-such-folder\\Fetchpix.dll", LOADFAILED},
      {"not a library", data.File("Fetchpix.dll"), LOADFAILED},
      {"an export missing", Stub("no-iscritical"), EXPORTMISSING},
      {"InitDll refuses", Stub("init-refuses"), VERSIONMISMATCH},
  };
  WriteWholeFile(data.File("Fetchpix.dll"), "MZ but nothing more");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(lib.Load(c.path, 1, data.File("")), c.expected);
    ExpectGuarded(lib);
  }
}

TEST(FetchpixLibrary, TheRealPluginReportsItsEnginesAndUnloads) {
  TempDir data;
  FetchpixLibrary lib;
  ASSERT_EQ(lib.Load(BinaryFolder() + "Fetchpix.dll", 1, data.File("Fetchpix")), SUCCESS);
  EXPECT_EQ(lib.Load(BinaryFolder() + "Fetchpix.dll", 1, data.File("Fetchpix")), SUCCESS) << "a second load is a no-op";
  EngineList engines;
  ASSERT_EQ(lib.Enumerate(engines), SUCCESS);
  ASSERT_EQ(engines.size(), 5u);
  const struct {
    uint32_t id;
    std::array<uint8_t, 5> capabilities;
  } expected[] = {{0, {0, 0, 0, 0, 0}}, {1, {1, 1, 1, 0, 1}}, {2, {0, 0, 0, 0, 1}},
                  {3, {0, 0, 1, 0, 1}}, {5, {0, 0, 1, 0, 1}}};
  for (size_t i = 0; i < engines.size(); ++i) {
    EXPECT_EQ(engines[i].id, expected[i].id);
    EXPECT_EQ(engines[i].capabilities, expected[i].capabilities) << engines[i].name;
    EXPECT_FALSE(engines[i].name.empty());
  }
  EXPECT_EQ(engines[0].name, "User URL");
  // What the program reads from the capability bytes.
  EXPECT_TRUE(EngineCanBlock(engines, 1));
  EXPECT_FALSE(EngineCanBlock(engines, 0));
  EXPECT_FALSE(EngineCanBlock(engines, 4)) << "no engine 4";
  EXPECT_TRUE(EngineAnnouncesSizes(engines, 3));
  EXPECT_FALSE(EngineAnnouncesSizes(engines, 2));
  EXPECT_FALSE(EngineAnnouncesSizes(engines, 0));

  SearchHandle none = nullptr;
  EXPECT_EQ(lib.StartSearch("", 1, &none), NOKEYWORDS);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(lib.Unload(), SUCCESS);
  ExpectGuarded(lib);
}

}  // namespace
