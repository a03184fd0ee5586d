#pragma once
// The one wallpaper change operation and the user commands that drive it.
// Main thread only.
#include <windows.h>

#include <optional>
#include <string>

// Every change goes through here: the next image of the list, an explicit
// file, or (with the internet source) the plug-in's next image.
void ChangeWallpaper(bool stampTime, bool forward, bool interactive,
                     const std::optional<std::string>& path = std::nullopt);

// Commands (menu entries and hot keys); `hotKey` selects the hot-key messages.
void NextImageCommand(bool hotKey);
void PreviousImageCommand(bool hotKey);
void SaveWallpaperCommand(bool hotKey);
void BlockImageCommand();
// Blank or restore the wallpaper (the caller then pauses or toggles changing).
void BlankOrRestoreCommand();

// The image worker's completion messages (WM_APP + 4, 5, 6).
void OnImageLoaded();
void OnImageSaved();
void OnImageResized();

class ImageLists;
// The master and play-order lists of the run.
ImageLists& TheImageLists();
// Reloads the play-order list from the list file (shuffled when shuffling is on).
void ReloadPlayOrderList();

// Settings were applied: forget earlier wraps of the search results.
void ResetEndOfResultsCount();
// Start-up and shutdown of the pipeline's worker.
void StartPipeline(HWND mainWindow);
void StopPipeline();
