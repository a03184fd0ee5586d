#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/registry_win.h"
#include "settings/settings.h"

namespace {

// Each test works on a key of its own, never on the program's real settings.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyPath = "Software\\Quillmoor\\SkyframeTest" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str()); }

  void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  DWORD GetDword(const char* name) {
    DWORD value = 0xDEAD, size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_REG_DWORD, nullptr,
                           &value, &size), ERROR_SUCCESS) << name;
    return value;
  }
  bool HasValue(const char* name) {
    return RegGetValueA(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
  }

  std::string keyPath;
};

TEST_F(RegistryTest, SaveAndLoadRoundTripThroughTheRealRegistry) {
  Settings saved;
  saved.ChangeWhen = 12;
  saved.ChangeAtTime = false;
  saved.InternetString = "northern lights \xC3\xA9";
  saved.LastRegularChange = 0x1'0000'0005LL;
  saved.PrevKey = 0x70;
  WinRegistryStore store(keyPath);
  ASSERT_EQ(saved.SaveTo(store), ERROR_SUCCESS);
  EXPECT_EQ(GetDword("ChangeAtTime"), 0u);
  EXPECT_EQ(GetDword("LastRegularChange"), 5u);
  EXPECT_FALSE(HasValue("CrashFlag"));
  EXPECT_FALSE(HasValue("ShowThumbnails"));
  EXPECT_FALSE(HasValue("WallpaperSavePath"));

  Settings loaded;
  WinRegistryStore reader(keyPath);
  ASSERT_EQ(loaded.LoadFrom(reader, 0x123456), ERROR_SUCCESS);
  EXPECT_EQ(loaded.ChangeWhen, 12);
  EXPECT_FALSE(loaded.ChangeAtTime);
  EXPECT_EQ(loaded.InternetString, "northern lights \xC3\xA9");
  EXPECT_EQ(loaded.LastRegularChange, 5);
  EXPECT_EQ(loaded.PrevKey, 0x70u);
  EXPECT_EQ(loaded.DesktopColor, 0x123456u);
}

// Before any Load, a new record already holds the system's desktop colour.
TEST(SettingsWin, NewRecordHoldsTheSystemDesktopColour) {
  const int element = COLOR_BACKGROUND;
  const COLORREF before = GetSysColor(COLOR_BACKGROUND);
  for (COLORREF colour : {RGB(58, 110, 165), RGB(1, 2, 3)}) {
    ASSERT_TRUE(SetSysColors(1, &element, &colour));
    EXPECT_EQ(Settings().DesktopColor, GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(Settings().DesktopColor, colour);
  }
  SetSysColors(1, &element, &before);
}

TEST_F(RegistryTest, HostileStoredValuesKeepDefaultsOrReadByTheirBytes) {
  const DWORD seven = 7;
  const unsigned long long big = 3;
  const char two[] = "\x09";
  SetRaw("ChangeAtStartup", REG_DWORD, &seven, 4);
  SetRaw("PaperOrient", REG_QWORD, &big, 8);            // too long for a DWORD field
  SetRaw("ChangeWhen", REG_BINARY, two, 1);             // one byte of any type
  const std::string longText(1024, 'a'), fits(1023, 'b');
  SetRaw("InternetString", REG_SZ, longText.data(), 1024);
  SetRaw("LastSavePath", REG_SZ, fits.data(), 1023);   // no terminating zero stored
  SetRaw("WallpaperSavePath", REG_SZ, "abc", 3);

  Settings s;
  WinRegistryStore store(keyPath);
  ASSERT_EQ(s.LoadFrom(store, 0), ERROR_SUCCESS);
  EXPECT_TRUE(s.ChangeAtStartup);
  EXPECT_EQ(s.PaperOrient, 10);
  EXPECT_EQ(s.ChangeWhen, 9);
  EXPECT_EQ(s.InternetString, "Landscape wallpaper");
  EXPECT_EQ(s.LastSavePath, fits);
  EXPECT_EQ(s.WallpaperSavePath, "abc");

  WinRegistryStore writer(keyPath);
  s.SaveTo(writer);
  EXPECT_EQ(GetDword("ChangeAtStartup"), 1u);
}

TEST_F(RegistryTest, SingleValueHelpers) {
  EXPECT_TRUE(WriteRegDword(keyPath.c_str(), "ChangeAtTime", 0));
  EXPECT_EQ(GetDword("ChangeAtTime"), 0u);
  EXPECT_TRUE(WriteRegString(keyPath.c_str(), "LastSavePath", "C:\\w.bmp"));
  std::string text;
  EXPECT_TRUE(ReadRegString(keyPath.c_str(), "LastSavePath", text));
  EXPECT_EQ(text, "C:\\w.bmp");
  EXPECT_FALSE(ReadRegString(keyPath.c_str(), "Missing", text));
  EXPECT_FALSE(ReadRegString((keyPath + "\\Nope").c_str(), "LastSavePath", text));
}

// The Run key is shared with the program itself, hence the serial label.
class RunEntryTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  void Clear() {
    for (const char* n : {"Skyframe", "My SKYFRAME helper", "Other"}) DeleteRunEntry(n);
  }
  bool Read(const char* name, std::string& out) { return ReadRegString(kRunKey, name, out); }
};

TEST_F(RunEntryTest, AddsOnceAndCountsAnySimilarNameAsPresent) {
  std::string text;
  WriteRegString(kRunKey, "Other", "x.exe");
  SetRunEntry("C:\\Program Files\\Skyframe\\Skyframe.exe", "Skyframe");
  ASSERT_TRUE(Read("Skyframe", text));
  EXPECT_EQ(text, "C:\\Program Files\\Skyframe\\Skyframe.exe");
  SetRunEntry("C:\\elsewhere.exe", "Skyframe");  // present: left as it is
  Read("Skyframe", text);
  EXPECT_EQ(text, "C:\\Program Files\\Skyframe\\Skyframe.exe");

  DeleteRunEntry("Skyframe");
  EXPECT_FALSE(Read("Skyframe", text));
  DeleteRunEntry("Skyframe");  // missing: no harm

  WriteRegString(kRunKey, "My SKYFRAME helper", "y.exe");
  SetRunEntry("C:\\s.exe", "Skyframe");
  EXPECT_FALSE(Read("Skyframe", text));
}

}  // namespace
