#include "wallpaper/desktop/desktop_win.h"

// shlobj.h declares IActiveDesktop only when wininet.h came first.
#include <wininet.h>
#include <shlobj.h>

#include <vector>

#include "imagelist/extensions.h"
#include "settings/registry_win.h"
#include "support/log/log.h"
#include "support/win/com_ptr_win.h"
#include "support/win/unique_handle_win.h"
#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/desktop/flash_page.h"

namespace {

// The Active Desktop wallpaper path is limited to this many UTF-16 units.
constexpr int kWidePathRoom = 520;
// GetWallpaper's buffer, in characters.
constexpr UINT kWallpaperRoom = 260;

static_assert(sizeof(WALLPAPEROPT) == 8, "Active Desktop expects an 8-byte WALLPAPEROPT");

// Logs under the name the wallpaper changer's messages have always carried.
void LogChanger(int line, const char* text, uint32_t level) {
  if (Logger* logger = g_logger) logger->WriteAt("WallpaperChanger", line, text, level);
}

bool SetDeskWallpaper(const char* path, UINT flags) {
  // The call takes a non-const buffer although it only reads a path from it.
  std::vector<char> buffer(path, path + std::char_traits<char>::length(path) + 1);
  return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(), flags) != FALSE;
}

std::optional<std::wstring> ToWide(const std::string& path) {
  std::vector<wchar_t> wide(kWidePathRoom, L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), kWidePathRoom) == 0)
    return std::nullopt;
  return std::wstring(wide.data());
}

bool IsBlankWide(const wchar_t* text) {
  for (; *text; ++text)
    if (*text != L' ' && *text != L'\t' && *text != L'\r' && *text != L'\n') return false;
  return true;
}

// The main path. Any failed call (Wine answers every method with E_NOTIMPL)
// makes the caller fall back as if the object did not exist.
bool ApplyThroughActiveDesktop(const std::string& path, int32_t paperOrient,
                               ActiveDesktopFactory factory) {
  const std::optional<std::wstring> wide = ToWide(path);
  if (!wide) {
    SF_LOG(kLogError, "Wallpaper path does not fit Active Desktop: " + path);
    return false;
  }
  ComPtr<IActiveDesktop> desktop;
  if (FAILED(factory(desktop.put())) || !desktop) {
    SF_LOG(kLogInfo, "Active Desktop is not available");
    return false;
  }
  if (FAILED(desktop->SetWallpaper(wide->c_str(), 0))) {
    SF_LOG(kLogInfo, "Active Desktop refused the wallpaper");
    return false;
  }
  WALLPAPEROPT options{};
  options.dwSize = sizeof options;
  options.dwStyle = ActiveDesktopStyle(paperOrient);
  if (FAILED(desktop->SetWallpaperOptions(&options, 0))) {
    SF_LOG(kLogInfo, "Active Desktop refused the wallpaper options");
    return false;
  }
  if (FAILED(desktop->ApplyChanges(AD_APPLY_ALL))) {
    SF_LOG(kLogInfo, "Active Desktop could not apply the wallpaper");
    return false;
  }
  return true;
}

// The wallpaper as the desktop reports it now, for redrawing it unchanged.
std::optional<std::string> CurrentDeskWallpaper() {
  char buffer[MAX_PATH + 1] = {};
  if (SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0)) return std::string(buffer);
  std::string value;
  if (ReadRegString(kDesktopKey, "Wallpaper", value)) return value;
  return std::nullopt;
}

}  // namespace

HRESULT CreateActiveDesktop(IActiveDesktop** desktop) {
  return CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                          reinterpret_cast<void**>(desktop));
}

void SetDesktopColor(uint32_t color) {
  const COLORREF wanted = color & 0xFFFFFF;
  if (GetSysColor(COLOR_BACKGROUND) == wanted) return;
  const INT element = COLOR_BACKGROUND;
  SetSysColors(1, &element, &wanted);
  // SetSysColors lasts for the session only; the key carries it to the next logon.
  WriteRegString(kColorsKey, "Background", BackgroundColorText(wanted));
}

void SetWallpaperStyle(int32_t paperOrient, uint32_t color) {
  WriteRegString(kDesktopKey, "WallpaperStyle", WallpaperStyleValue(paperOrient));
  SetDesktopColor(color);
  WriteRegString(kDesktopKey, "TileWallpaper", TileWallpaperValue(paperOrient));
}

bool ApplyWallpaperBitmap(const std::string& bitmapPath, const Settings& settings) {
  SetWallpaperStyle(settings.PaperOrient, settings.DesktopColor);
  return SetDeskWallpaper(bitmapPath.c_str(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

void ApplyDesktopSettings(const Settings& settings) {
  SetDesktopColor(settings.DesktopColor);
  SetWallpaperStyle(settings.PaperOrient, settings.DesktopColor);
  // Setting the wallpaper without a file would put Windows' default wallpaper in
  // place of the user's; setting the current one again redraws it in the new style.
  if (const std::optional<std::string> current = CurrentDeskWallpaper())
    SetDeskWallpaper(current->c_str(), SPIF_SENDWININICHANGE);
}

bool ApplyWallpaperFile(const std::string& path, const Settings& settings,
                        ActiveDesktopFactory factory) {
  ComApartment com;
  if (com.Usable() && ApplyThroughActiveDesktop(path, settings.PaperOrient, factory)) return true;
  if (!IsBitmap(path)) {
    SF_LOG(kLogError, "Without Active Desktop only bitmaps can be wallpaper: " + path);
    return false;
  }
  return ApplyWallpaperBitmap(path, settings);
}

std::optional<std::string> MakeFlashPage(const std::string& moviePath,
                                         const std::string& flashPagePath,
                                         const std::string& programFolder,
                                         const Settings& settings) {
  const std::string bytes = ToTextModeBytes(FlashPageText(
      {moviePath, programFolder, settings.DesktopColor, settings.PaperOrient}));
  UniqueFile file(CreateFileA(flashPagePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  DWORD written = 0;
  bool complete = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) &&
                  written == bytes.size();
  // Closing can report a write that failed late (a full or vanished disk).
  complete = CloseHandle(file.release()) && complete;
  if (!complete) {
    // The cut-off page stays: nothing applies it, and the next page replaces it.
    LogChanger(__LINE__, "Error writing flash HTML file to disk!", kLogError);
    return std::nullopt;
  }
  return flashPagePath;
}

BlankOrRestoreResult BlankOrRestore(const std::function<void()>& restore,
                                    ActiveDesktopFactory factory) {
  bool blanked = false;
  {
    ComApartment com;
    ComPtr<IActiveDesktop> desktop;
    if (com.Usable() && FAILED(factory(desktop.put()))) desktop.reset();

    std::optional<bool> hasWallpaper;
    if (desktop) {
      wchar_t current[kWallpaperRoom] = {};
      if (SUCCEEDED(desktop->GetWallpaper(current, kWallpaperRoom, 0))) {
        current[kWallpaperRoom - 1] = L'\0';
        hasWallpaper = !IsBlankWide(current);
      } else {
        SF_LOG(kLogInfo, "Active Desktop could not report the wallpaper");
      }
    }
    if (!hasWallpaper) {
      std::string current;
      hasWallpaper = ReadRegString(kDesktopKey, "Wallpaper", current) && !IsBlankWallpaper(current);
    }
    if (*hasWallpaper) {
      // Active Desktop keeps its own wallpaper; the blank keeps it from putting
      // the old one back. Its result does not matter: the call below blanks.
      if (desktop) desktop->SetWallpaper(L" ", 0);
      if (!SetDeskWallpaper("", SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE))
        SF_LOG(kLogError, "Could not blank the wallpaper");
      blanked = true;
    }
  }
  if (blanked) return BlankOrRestoreResult::Blanked;
  if (restore) restore();
  return BlankOrRestoreResult::Restored;
}
