#pragma once
// The program's contact with the Windows desktop: placement and colour values,
// handing a file to the desktop, the flash page, and blank/restore.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "settings/settings.h"

// Declared by shlobj.h only after wininet.h; kept out of this header so that its
// users stay free to include winhttp.h.
struct IActiveDesktop;

// Makes the shell's Active Desktop object; tests substitute their own.
using ActiveDesktopFactory = HRESULT (*)(IActiveDesktop** desktop);
HRESULT CreateActiveDesktop(IActiveDesktop** desktop);

// Writes "WallpaperStyle", the background colour when it differs from the
// system's desktop colour (system colour and "Background"), then "TileWallpaper".
void SetWallpaperStyle(int32_t paperOrient, uint32_t color);

// Sets the system desktop colour and "Background" when they differ from `color`.
void SetDesktopColor(uint32_t color);

// Shows the composed bitmap with the placement and colour of the settings.
bool ApplyWallpaperBitmap(const std::string& bitmapPath, const Settings& settings);

// After the settings changed: colour, placement values, and a redraw of the
// wallpaper that is on the desktop now.
void ApplyDesktopSettings(const Settings& settings);

// Hands a file that needs no decoding (bitmap, HTML page) to the desktop:
// through Active Desktop, else (bitmaps only) through SystemParametersInfoA.
bool ApplyWallpaperFile(const std::string& path, const Settings& settings,
                        ActiveDesktopFactory factory = CreateActiveDesktop);

// Writes the page that shows `moviePath` at `flashPagePath`; returns that path,
// or nothing when the page could not be written completely.
std::optional<std::string> MakeFlashPage(const std::string& moviePath,
                                         const std::string& flashPagePath,
                                         const std::string& programFolder,
                                         const Settings& settings);

enum class BlankOrRestoreResult { Blanked, Restored };

// Blanks the wallpaper when there is one; otherwise calls `restore`, which shows
// the image again (the pipeline's change with RestoreTarget's path). `restore`
// runs after this function has let go of Active Desktop and COM.
BlankOrRestoreResult BlankOrRestore(const std::function<void()>& restore,
                                    ActiveDesktopFactory factory = CreateActiveDesktop);
