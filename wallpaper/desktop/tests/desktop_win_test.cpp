#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_win.h"
#include "support/log/logger.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/desktop/desktop_win.h"
#include "wallpaper/desktop/flash_page.h"

namespace {

// A stand-in for the shell's object: each method answers as told and records
// what it was given.
class FakeActiveDesktop : public IActiveDesktop {
 public:
  HRESULT setResult = S_OK, optionsResult = S_OK, applyResult = S_OK, getResult = S_OK;
  std::wstring reported;            // what GetWallpaper answers
  std::vector<std::wstring> setCalls;
  std::optional<DWORD> style;
  int applyCalls = 0;
  ULONG refs = 0;

  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP ApplyChanges(DWORD flags) override {
    EXPECT_EQ(flags, static_cast<DWORD>(AD_APPLY_ALL));
    ++applyCalls;
    return applyResult;
  }
  STDMETHODIMP GetWallpaper(PWSTR buffer, UINT room, DWORD) override {
    if (FAILED(getResult)) return getResult;
    lstrcpynW(buffer, reported.c_str(), static_cast<int>(room));
    return S_OK;
  }
  STDMETHODIMP SetWallpaper(PCWSTR path, DWORD) override {
    setCalls.emplace_back(path);
    return setResult;
  }
  STDMETHODIMP GetWallpaperOptions(LPWALLPAPEROPT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetWallpaperOptions(LPCWALLPAPEROPT options, DWORD) override {
    EXPECT_EQ(options->dwSize, 8u);
    style = options->dwStyle;
    return optionsResult;
  }
  STDMETHODIMP GetPattern(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetPattern(PCWSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesktopItemOptions(LPCOMPONENTSOPT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetDesktopItemOptions(LPCCOMPONENTSOPT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP AddDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP ModifyDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP RemoveDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesktopItemCount(int*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesktopItem(int, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesktopItemByID(ULONG_PTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GenerateDesktopItemHtml(PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP AddUrl(HWND, PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDesktopItemBySource(PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
};

FakeActiveDesktop* g_fake = nullptr;

HRESULT MakeFake(IActiveDesktop** out) {
  g_fake->AddRef();
  *out = g_fake;
  return S_OK;
}

HRESULT NoActiveDesktop(IActiveDesktop** out) {
  *out = nullptr;
  return REGDB_E_CLASSNOTREG;
}

std::optional<std::string> DesktopValue(const char* key, const char* name) {
  std::string value;
  if (!ReadRegString(key, name, value)) return std::nullopt;
  return value;
}

void PutDesktopValue(const char* key, const char* name, const std::optional<std::string>& value) {
  if (value) {
    WriteRegString(key, name, *value);
    return;
  }
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_WRITE, &handle) == ERROR_SUCCESS) {
    RegDeleteValueA(handle, name);
    RegCloseKey(handle);
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A 2x2 24-bit bitmap, enough for the desktop to take it.
void WriteBitmap(const std::string& path) {
  const unsigned char bmp[] = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                 // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,   // info header
      16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 255, 0, 255, 0, 0, 0,  // rows, padded to 4 bytes
      255, 0, 0, 255, 255, 255, 0, 0};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

// These tests change the prefix's real desktop; each puts back what it found.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wallpaper_ = DesktopValue(kDesktopKey, "Wallpaper");
    style_ = DesktopValue(kDesktopKey, "WallpaperStyle");
    tile_ = DesktopValue(kDesktopKey, "TileWallpaper");
    background_ = DesktopValue(kColorsKey, "Background");
    systemColor_ = GetSysColor(COLOR_BACKGROUND);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "sf_desktop_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    bitmap_ = folder_ + "paper.bmp";
    WriteBitmap(bitmap_);
    settings_.DesktopColor = systemColor_;
  }

  void TearDown() override {
    const INT element = COLOR_BACKGROUND;
    SetSysColors(1, &element, &systemColor_);
    PutDesktopValue(kDesktopKey, "Wallpaper", wallpaper_);
    PutDesktopValue(kDesktopKey, "WallpaperStyle", style_);
    PutDesktopValue(kDesktopKey, "TileWallpaper", tile_);
    PutDesktopValue(kColorsKey, "Background", background_);
    for (const char* name : {"paper.bmp", "page.htm", "flash.htm", "test.log"})
      DeleteFileA((folder_ + name).c_str());
    RemoveDirectoryA(folder_.c_str());
    g_fake = nullptr;
  }

  std::string Wallpaper() { return DesktopValue(kDesktopKey, "Wallpaper").value_or("<missing>"); }

  std::string folder_, bitmap_;
  Settings settings_;
  std::optional<std::string> wallpaper_, style_, tile_, background_;
  COLORREF systemColor_ = 0;
};

TEST_F(DesktopTest, StyleValuesForEveryPlacement) {
  const struct {
    int32_t orient;
    const char* style;
    const char* tile;
  } cases[] = {{kOrientCenter, "0", "0"}, {kOrientTile, "1", "1"},
               {kOrientStretch, "2", "0"}, {kOrientFit, "0", "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orient);
    SetWallpaperStyle(c.orient, systemColor_);
    EXPECT_EQ(DesktopValue(kDesktopKey, "WallpaperStyle"), c.style);
    EXPECT_EQ(DesktopValue(kDesktopKey, "TileWallpaper"), c.tile);
  }
}

TEST_F(DesktopTest, ColourIsWrittenOnlyWhenItDiffersFromTheSystem) {
  WriteRegString(kColorsKey, "Background", "untouched");
  SetWallpaperStyle(kOrientFit, systemColor_);
  EXPECT_EQ(DesktopValue(kColorsKey, "Background"), "untouched");

  const COLORREF red = systemColor_ == 0x0000FF ? 0x00FF00 : 0x0000FF;
  SetWallpaperStyle(kOrientFit, red);
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), red);
  EXPECT_EQ(DesktopValue(kColorsKey, "Background"), BackgroundColorText(red));
  if (red == 0x0000FF) {
    EXPECT_EQ(DesktopValue(kColorsKey, "Background"), "255 0 0");
  }

  // Now the system has it: a second call leaves the key alone.
  WriteRegString(kColorsKey, "Background", "untouched");
  SetWallpaperStyle(kOrientTile, red);
  EXPECT_EQ(DesktopValue(kColorsKey, "Background"), "untouched");
}

// Which path the tests on the real object take: under Wine the object exists
// and refuses every call, so they exercise the fallback after failed calls.
TEST_F(DesktopTest, RealActiveDesktopUnderWineRefusesItsCalls) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IActiveDesktop* desktop = nullptr;
  const HRESULT created = CreateActiveDesktop(&desktop);
  HRESULT set = S_OK;
  if (SUCCEEDED(created)) {
    set = desktop->SetWallpaper(L"C:\\nothing.bmp", 0);
    desktop->Release();
  }
  CoUninitialize();
  if (SUCCEEDED(created) && SUCCEEDED(set)) GTEST_SKIP() << "Active Desktop works here";
  EXPECT_TRUE(SUCCEEDED(created)) << "expected Wine's object, got " << std::hex << created;
  EXPECT_EQ(set, E_NOTIMPL);
}

TEST_F(DesktopTest, BitmapAppliedThroughTheRealDesktop) {
  // The real object: under Wine, the fallback through SystemParametersInfoA.
  settings_.PaperOrient = kOrientTile;
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  EXPECT_EQ(Wallpaper(), bitmap_);
  EXPECT_EQ(DesktopValue(kDesktopKey, "WallpaperStyle"), "1");
  EXPECT_EQ(DesktopValue(kDesktopKey, "TileWallpaper"), "1");

  char shown[MAX_PATH + 1] = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0));
  EXPECT_EQ(std::string(shown), bitmap_);
}

TEST_F(DesktopTest, HtmlPageNeedsActiveDesktop) {
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  const std::string page = folder_ + "page.htm";
  std::ofstream(page) << "<html></html>";
  // The real object (refusing under Wine) and a missing object fail alike and
  // leave the desktop as it was.
  EXPECT_FALSE(ApplyWallpaperFile(page, settings_));
  EXPECT_FALSE(ApplyWallpaperFile(page, settings_, NoActiveDesktop));
  EXPECT_EQ(Wallpaper(), bitmap_);
}

TEST_F(DesktopTest, WorkingActiveDesktopTakesTheFileAndTheStyle) {
  FakeActiveDesktop fake;
  g_fake = &fake;
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  const std::string page = folder_ + "page.htm";
  const struct {
    int32_t orient;
    DWORD style;
  } cases[] = {{kOrientCenter, WPSTYLE_CENTER}, {kOrientTile, WPSTYLE_TILE},
               {kOrientStretch, WPSTYLE_STRETCH}, {kOrientFit, WPSTYLE_CENTER}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orient);
    fake.setCalls.clear();
    settings_.PaperOrient = c.orient;
    ASSERT_TRUE(ApplyWallpaperFile(page, settings_, MakeFake));
    ASSERT_EQ(fake.setCalls.size(), 1u);
    EXPECT_EQ(fake.setCalls[0], std::wstring(page.begin(), page.end()));
    EXPECT_EQ(fake.style, c.style);
  }
  EXPECT_EQ(fake.applyCalls, 4);
  EXPECT_EQ(fake.refs, 0u);  // every reference given back
  EXPECT_EQ(Wallpaper(), bitmap_);  // the desktop was not also set directly
}

TEST_F(DesktopTest, AnyFailedActiveDesktopCallFallsBack) {
  const std::string page = folder_ + "page.htm";
  for (int failing = 0; failing < 3; ++failing) {
    SCOPED_TRACE(failing);
    FakeActiveDesktop fake;
    g_fake = &fake;
    (failing == 0 ? fake.setResult : failing == 1 ? fake.optionsResult : fake.applyResult) =
        E_NOTIMPL;
    ASSERT_TRUE(ApplyWallpaperFile(page, settings_, NoActiveDesktop) == false);
    PutDesktopValue(kDesktopKey, "Wallpaper", std::string());

    EXPECT_FALSE(ApplyWallpaperFile(page, settings_, MakeFake));
    EXPECT_EQ(Wallpaper(), "");
    EXPECT_TRUE(ApplyWallpaperFile(bitmap_, settings_, MakeFake));
    EXPECT_EQ(Wallpaper(), bitmap_);
    EXPECT_EQ(fake.refs, 0u);
  }
}

TEST_F(DesktopTest, FlashPageOnDisk) {
  const std::string pagePath = folder_ + "flash.htm";
  // A longer old page must not leave its tail behind.
  std::ofstream(pagePath, std::ios::binary) << std::string(10000, 'x');
  settings_.DesktopColor = 0x0000FF;
  for (int32_t orient : {kOrientStretch, kOrientFit}) {
    settings_.PaperOrient = orient;
    const std::optional<std::string> made =
        MakeFlashPage("C:\\Movies\\clouds.swf", pagePath, "C:\\Program Files\\Skyframe\\", settings_);
    ASSERT_EQ(made, pagePath);
    const std::string bytes = ReadAll(pagePath);
    EXPECT_EQ(bytes, ToTextModeBytes(FlashPageText({"C:\\Movies\\clouds.swf",
                                                    "C:\\Program Files\\Skyframe\\", 0x0000FF,
                                                    orient})));
    EXPECT_EQ(bytes.find("exactfit") != std::string::npos, orient == kOrientStretch);
    EXPECT_NE(bytes.find("bgcolor=\"#FF0000\""), std::string::npos);
  }
}

TEST_F(DesktopTest, FlashPageThatCannotBeCreated) {
  EXPECT_EQ(MakeFlashPage("m.swf", folder_ + "no such folder\\flash.htm", "C:\\", settings_),
            std::nullopt);
  EXPECT_EQ(MakeFlashPage("m.swf", folder_, "C:\\", settings_), std::nullopt);
}

TEST_F(DesktopTest, FlashPageOnAFullDiskIsLoggedAndRefused) {
  // Wine maps the host's root to Z:, and the host's full device refuses every
  // write with "disk full" once it has been opened.
  const char* full = "Z:\\dev\\full";
  HANDLE probe = CreateFileA(full, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no full device here";
  CloseHandle(probe);
  const std::string logPath = folder_ + "test.log";
  {
    Logger logger(logPath);
    g_logger = &logger;
    EXPECT_EQ(MakeFlashPage("m.swf", full, "C:\\", settings_), std::nullopt);
    g_logger = nullptr;
  }
  const std::string log = ReadAll(logPath);
  EXPECT_NE(log.find("WallpaperChanger["), std::string::npos) << log;
  EXPECT_NE(log.find("Error writing flash HTML file to disk!"), std::string::npos) << log;
  // Without a logger the failure is still reported, silently.
  EXPECT_EQ(MakeFlashPage("m.swf", full, "C:\\", settings_), std::nullopt);
}

TEST_F(DesktopTest, BlankThenRestoreBringsTheWallpaperBack) {
  settings_.PaperOrient = kOrientCenter;
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  int restores = 0;
  auto restore = [&] {
    ++restores;
    ApplyWallpaperFile(RestoreTarget(true, bitmap_, "unused.jpg"), settings_);
  };
  // Under Wine GetWallpaper fails, so the registry value decides.
  EXPECT_EQ(BlankOrRestore(restore), BlankOrRestoreResult::Blanked);
  EXPECT_EQ(restores, 0);
  EXPECT_TRUE(IsBlankWallpaper(Wallpaper())) << Wallpaper();

  EXPECT_EQ(BlankOrRestore(restore), BlankOrRestoreResult::Restored);
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(Wallpaper(), bitmap_);

  // The same round without any Active Desktop object.
  EXPECT_EQ(BlankOrRestore(restore, NoActiveDesktop), BlankOrRestoreResult::Blanked);
  EXPECT_TRUE(IsBlankWallpaper(Wallpaper()));
  EXPECT_EQ(BlankOrRestore(restore, NoActiveDesktop), BlankOrRestoreResult::Restored);
  EXPECT_EQ(Wallpaper(), bitmap_);
}

TEST_F(DesktopTest, BlankAsksActiveDesktopFirst) {
  FakeActiveDesktop fake;
  g_fake = &fake;
  int restores = 0;
  auto restore = [&] { ++restores; };

  // The object reports a wallpaper although the registry has none: blank, and
  // tell the object too.
  PutDesktopValue(kDesktopKey, "Wallpaper", std::string());
  fake.reported = L"C:\\paper.bmp";
  EXPECT_EQ(BlankOrRestore(restore, MakeFake), BlankOrRestoreResult::Blanked);
  ASSERT_EQ(fake.setCalls.size(), 1u);
  EXPECT_EQ(fake.setCalls[0], L" ");
  EXPECT_EQ(restores, 0);

  // Its own single blank reads as no wallpaper, even while the registry has one.
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  fake.reported = L" ";
  EXPECT_EQ(BlankOrRestore(restore, MakeFake), BlankOrRestoreResult::Restored);
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(Wallpaper(), bitmap_);

  // When it cannot tell, the registry decides.
  fake.getResult = E_NOTIMPL;
  EXPECT_EQ(BlankOrRestore(restore, MakeFake), BlankOrRestoreResult::Blanked);
  EXPECT_TRUE(IsBlankWallpaper(Wallpaper()));
  EXPECT_EQ(BlankOrRestore(restore, MakeFake), BlankOrRestoreResult::Restored);
  EXPECT_EQ(restores, 2);
  EXPECT_EQ(fake.refs, 0u);
}

TEST_F(DesktopTest, ChangedSettingsRedrawTheCurrentWallpaper) {
  settings_.PaperOrient = kOrientCenter;
  ASSERT_TRUE(ApplyWallpaperFile(bitmap_, settings_));
  settings_.PaperOrient = kOrientTile;
  settings_.DesktopColor = systemColor_ == 0x3A6EA5 ? 0x112233 : 0x3A6EA5;
  ApplyDesktopSettings(settings_);
  EXPECT_EQ(DesktopValue(kDesktopKey, "WallpaperStyle"), "1");
  EXPECT_EQ(DesktopValue(kDesktopKey, "TileWallpaper"), "1");
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), settings_.DesktopColor);
  EXPECT_EQ(DesktopValue(kColorsKey, "Background"), BackgroundColorText(settings_.DesktopColor));
  EXPECT_EQ(Wallpaper(), bitmap_);
  char shown[MAX_PATH + 1] = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0));
  EXPECT_EQ(std::string(shown), bitmap_);
}

}  // namespace
