#pragma once
// The dialog's header picture, taken from the archive appended to the program
// file and painted scaled for the window's DPI.
#include <windows.h>

#include <memory>
#include <string>

class BTCImageObject;

class HeaderPicture {
 public:
  HeaderPicture();
  ~HeaderPicture();
  HeaderPicture(const HeaderPicture&) = delete;
  HeaderPicture& operator=(const HeaderPicture&) = delete;

  // Reads "header_graphic.png" from the archive at the end of `programPath`;
  // false (and no picture) when the archive or the member is missing or damaged.
  bool Load(const std::string& programPath);
  bool Loaded() const;
  // The picture's size in pixels at 96 DPI.
  SIZE Size() const;
  // Paints the picture scaled into `target`.
  void Paint(HDC dc, const RECT& target);

 private:
  std::unique_ptr<BTCImageObject> image;
};
