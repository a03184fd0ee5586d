#pragma once
// Gives a window the shape of a region kept in the program's resources and
// paints it with a picture file; a press anywhere drags the window.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "support/win/gdi_win.h"
#include "support/win/unique_handle_win.h"
#include "ui/skin/picture_win.h"

class CSkin {
 public:
  // Loads the picture and the "BINARY" region resource `regionId` of `module`.
  // Throws std::runtime_error("Unable to retrieve the skin.") when either is missing.
  CSkin(HMODULE module, int regionId, const std::string& imagePath);
  virtual ~CSkin();
  CSkin(const CSkin&) = delete;
  CSkin& operator=(const CSkin&) = delete;

  // Shapes and paints `window` (detaching from any earlier one). False when
  // the window cannot be subclassed.
  bool Attach(HWND window);
  // Gives the window back its own shape and painting.
  void Detach();
  void SetVisible(bool visible);

  int Width() const { return width; }
  int Height() const { return height; }
  bool Visible() const { return visible; }
  HWND Window() const { return window; }

 private:
  static LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

  HWND window = nullptr;
  UniqueGdiObject region;  // kept here; the window gets a copy
  UniqueMemoryDc memoryDc;
  SkinPicture picture;
  // Declared after the DC and the picture: ends first, so neither is deleted while selected.
  ScopedSelectObject selectedPicture;
  int width = 0;
  int height = 0;
  bool visible = false;
  bool attached = false;
};

// The region described by a "BINARY" resource's bytes (RGNDATA), checked
// against its own size first; null when the bytes do not describe a region.
HRGN RegionFromData(const void* data, DWORD size);
