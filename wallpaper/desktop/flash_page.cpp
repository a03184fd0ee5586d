#include "wallpaper/desktop/flash_page.h"

#include <cstdio>

#include "wallpaper/desktop/desktop_values.h"

namespace {

// The page was written with printf's %s, which stops at a zero byte.
std::string AsCString(const std::string& text) { return std::string(text.c_str()); }

// The texts land inside double-quoted attributes; a quote in them (possible in
// a typed web address, never in a Windows path) would end the attribute early.
std::string AttributeText(const std::string& text) {
  std::string out;
  for (char c : AsCString(text)) {
    if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

// Under the UTF-8 code page a path reaches us as UTF-8; a page declaring
// iso-8859-1 would turn its non-ASCII letters into other ones.
const char* PageCharset(const FlashPageInput& input) {
  for (const std::string* text : {&input.moviePath, &input.programFolder})
    for (char c : AsCString(*text))
      if (static_cast<unsigned char>(c) >= 0x80) return "utf-8";
  return "iso-8859-1";
}

}  // namespace

std::string FlashPageText(const FlashPageInput& input) {
  char color[16];
  std::snprintf(color, sizeof color, "%06X", static_cast<unsigned>(HtmlColor(input.backgroundColor)));
  std::string page;
  page += "\n<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">";
  page += "\n<html>";
  page += "\n\t<head>";
  page += "\n\t\t<meta http-equiv=\"content-type\" content=\"text/html;charset=";
  page += PageCharset(input);
  page += "\">";
  page += "\n\t\t<meta name=\"generator\" content=\"Skyframe\">";
  page += "\n\t\t<title>Skyframe</title>";
  page += "\n\t</head>";
  page += "\n\t<body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" bgcolor=\"#";
  page += color;
  page += "\">";
  page += "\n\t\t<tr>";
  page += "\n\t\t\t<td valign=\"top\">";
  page += "\n\t\t\t<div style=\"position:absolute; width:100%; height:100%; top:0; z-index:0\">";
  page += "\n\t\t\t\t<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" codebase=\"";
  page += kFlashPlayerCodebase;
  page += "\" width=\"100%\" height=\"100%\">";
  page += "\n\t\t\t\t\t<param name=\"Wmode\" value=\"Transparent\">";
  if (input.paperOrient == kOrientStretch)
    page += "\n\t\t\t\t\t<param name=\"scale\" value=\"exactfit\">";
  page += "\n\t\t\t\t\t<param name=\"menu\" value=\"false\">";
  page += "\n\t\t\t\t\t<param name=\"movie\" value=\"" + AttributeText(input.moviePath) + "\">";
  page += "\n\t\t\t\t\t<param name=\"quality\" value=\"best\">";
  page += "\n\t\t\t\t\t<param name=\"FlashVars\" value=\"allowResize='+e+'\">";
  page += "\n\t\t\t\t</object>";
  page += "\n\t\t\t</div>";
  page += "\n\t\t\t<div id=\"dcontent\" style=\"position:absolute;  width:100%; height:100%; z-index:2\">";
  page += "\n\t\t\t\t<img src=\"" + AttributeText(input.programFolder) + kTransparentImageName +
          "\" width=\"100%\" height=\"100%\">";
  page += "\n\t\t\t</div>";
  page += "\n\t\t\t</td>";
  page += "\n\t\t</tr>";
  page += "\n\t</body>";
  page += "\n</html>";
  return page;
}

std::string ToTextModeBytes(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string FlashPageFileName(const std::string& userName) {
  return userName.empty() ? std::string(kFlashPageName) : userName + "_" + kFlashPageName;
}
