#include "imagelist/extensions.h"

#include "support/text/ascii.h"

namespace {
size_t NameStart(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? 0 : slash + 1;
}
}  // namespace

std::string_view PathExtension(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string_view PathFileTitle(std::string_view path) {
  std::string_view name = path.substr(NameStart(path));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string_view PathFolder(std::string_view path) { return path.substr(0, NameStart(path)); }

bool ExtensionInSet(std::string_view path, std::string_view set) {
  const std::string_view ext = PathExtension(path);
  return !ext.empty() && FindIgnoreCaseAscii(set, ext) != std::string_view::npos;
}

bool IsWallpaperFile(std::string_view path) { return ExtensionInSet(path, kWallpaperExtensions); }
bool IsDecodableImage(std::string_view path) { return ExtensionInSet(path, kDecodableExtensions); }
bool IsBitmap(std::string_view path) { return ExtensionInSet(path, kBitmapExtensions); }
bool IsFlash(std::string_view path) { return ExtensionInSet(path, kFlashExtensions); }

ImageFileFormat ImageFormatOfExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  struct Entry {
    std::string_view ext;
    ImageFileFormat format;
  };
  static constexpr Entry kFormats[] = {
      {"bmp", ImageFileFormat::kBmp},   {"dib", ImageFileFormat::kBmp},   {"jpg", ImageFileFormat::kJpeg},
      {"jpeg", ImageFileFormat::kJpeg}, {"jpe", ImageFileFormat::kJpeg},  {"gif", ImageFileFormat::kGif},
      {"png", ImageFileFormat::kPng},   {"tif", ImageFileFormat::kTiff},  {"tiff", ImageFileFormat::kTiff},
      {"ico", ImageFileFormat::kIco},   {"tga", ImageFileFormat::kTga},   {"pcx", ImageFileFormat::kPcx},
      {"pbm", ImageFileFormat::kPnm},   {"pgm", ImageFileFormat::kPnm},   {"ppm", ImageFileFormat::kPnm},
      {"pnm", ImageFileFormat::kPnm},
  };
  for (const Entry& e : kFormats)
    if (EqualsIgnoreCaseAscii(extension, e.ext)) return e.format;
  return ImageFileFormat::kNone;
}
