#pragma once
// Which kind of file a path names, decided by its extension alone.
#include <string_view>

// Every extension the image list dialog accepts, pages and movies included.
inline constexpr std::string_view kWallpaperExtensions =
    ".tga.bmp.pcx.tif.tiff.jpg.jpeg.gif.png.PPM.PBM.PGM.IFF.ILBM.RAS.EPS.ICO.MNG.JNG.WMF.EMF.APM.PSP.JP2.JPC.YUV.CUT.htm.html.swf";
// Extensions the image library decodes.
inline constexpr std::string_view kDecodableExtensions =
    ".tga.bmp.pcx.tif.tiff.jpg.jpeg.gif.png.PPM.PBM.PGM.IFF.ILBM.RAS.EPS.ICO.MNG.JNG.WMF.EMF.APM.PSP.JP2.JPC.YUV.CUT";
inline constexpr std::string_view kBitmapExtensions = ".bmp";
inline constexpr std::string_view kFlashExtensions = ".swf";

// The part of the file name from its last dot, dot included; empty without a dot.
std::string_view PathExtension(std::string_view path);
// The file name without folder and extension.
std::string_view PathFileTitle(std::string_view path);
// The path up to and including its last back-slash or slash; empty without one.
std::string_view PathFolder(std::string_view path);

// True when the path's extension occurs, ignoring case, anywhere in the set
// string (so ".jp" matches ".jpg"); an empty extension never matches.
bool ExtensionInSet(std::string_view path, std::string_view set);

bool IsWallpaperFile(std::string_view path);   // the dialog accepts it
bool IsDecodableImage(std::string_view path);  // goes through the image library
bool IsBitmap(std::string_view path);          // may go to the desktop as it is
bool IsFlash(std::string_view path);           // wrapped in a generated page

// The image formats the picture classes read or write, by extension.
enum class ImageFileFormat { kNone, kBmp, kJpeg, kGif, kPng, kTiff, kIco, kTga, kPcx, kPnm };
// The format an extension names ("jpg" or ".JPG"), compared whole and ignoring
// ASCII case, unlike the sets above; kNone for anything else.
ImageFileFormat ImageFormatOfExtension(std::string_view extension);
