#include <gtest/gtest.h>

#include <string>

#include "wallpaper/desktop/desktop_values.h"
#include "wallpaper/desktop/flash_page.h"

namespace {

// The whole page for a red background in centre mode, as it lands on disk.
const char kRedCentrePage[] =
    "\r\n<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">"
    "\r\n<html>"
    "\r\n\t<head>"
    "\r\n\t\t<meta http-equiv=\"content-type\" content=\"text/html;charset=iso-8859-1\">"
    "\r\n\t\t<meta name=\"generator\" content=\"Skyframe\">"
    "\r\n\t\t<title>Skyframe</title>"
    "\r\n\t</head>"
    "\r\n\t<body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" bgcolor=\"#FF0000\">"
    "\r\n\t\t<tr>"
    "\r\n\t\t\t<td valign=\"top\">"
    "\r\n\t\t\t<div style=\"position:absolute; width:100%; height:100%; top:0; z-index:0\">"
    "\r\n\t\t\t\t<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
    "codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,79,0\" "
    "width=\"100%\" height=\"100%\">"
    "\r\n\t\t\t\t\t<param name=\"Wmode\" value=\"Transparent\">"
    "\r\n\t\t\t\t\t<param name=\"menu\" value=\"false\">"
    "\r\n\t\t\t\t\t<param name=\"movie\" value=\"C:\\Movies\\clouds.swf\">"
    "\r\n\t\t\t\t\t<param name=\"quality\" value=\"best\">"
    "\r\n\t\t\t\t\t<param name=\"FlashVars\" value=\"allowResize='+e+'\">"
    "\r\n\t\t\t\t</object>"
    "\r\n\t\t\t</div>"
    "\r\n\t\t\t<div id=\"dcontent\" style=\"position:absolute;  width:100%; height:100%; z-index:2\">"
    "\r\n\t\t\t\t<img src=\"C:\\Program Files\\Skyframe\\transparent.gif\" width=\"100%\" height=\"100%\">"
    "\r\n\t\t\t</div>"
    "\r\n\t\t\t</td>"
    "\r\n\t\t</tr>"
    "\r\n\t</body>"
    "\r\n</html>";

const char kExactFitLine[] = "\r\n\t\t\t\t\t<param name=\"scale\" value=\"exactfit\">";

FlashPageInput RedCentre() {
  return {"C:\\Movies\\clouds.swf", "C:\\Program Files\\Skyframe\\", 0x0000FF, kOrientCenter};
}

TEST(FlashPage, WholePageByteForByte) {
  EXPECT_EQ(ToTextModeBytes(FlashPageText(RedCentre())), kRedCentrePage);
}

TEST(FlashPage, ExactFitOnlyWhenStretching) {
  for (int32_t orient : {kOrientCenter, kOrientTile, kOrientStretch, kOrientFit, 3}) {
    SCOPED_TRACE(orient);
    FlashPageInput input = RedCentre();
    input.paperOrient = orient;
    const std::string page = ToTextModeBytes(FlashPageText(input));
    if (orient != kOrientStretch) {
      EXPECT_EQ(page, kRedCentrePage);
      continue;
    }
    // The one extra line sits right after the Wmode parameter.
    std::string expected = kRedCentrePage;
    const std::string wmode = "value=\"Transparent\">";
    expected.insert(expected.find(wmode) + wmode.size(), kExactFitLine);
    EXPECT_EQ(page, expected);
  }
}

TEST(FlashPage, BackgroundColourIsHtmlOrder) {
  struct {
    uint32_t colorRef;
    const char* html;
  } cases[] = {{0x0000FF, "#FF0000"}, {0xA56E3A, "#3A6EA5"}, {0, "#000000"},
               {0x00FF00, "#00FF00"}, {0x0F0E0D, "#0D0E0F"}, {0xFF000001, "#010000"}};
  for (const auto& c : cases) {
    FlashPageInput input = RedCentre();
    input.backgroundColor = c.colorRef;
    const std::string page = FlashPageText(input);
    EXPECT_NE(page.find(std::string("bgcolor=\"") + c.html + "\">"), std::string::npos) << c.html;
  }
}

TEST(FlashPage, TextModeAndLineStructure) {
  const std::string text = FlashPageText(RedCentre());
  EXPECT_EQ(text.front(), '\n');
  EXPECT_NE(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(ToTextModeBytes("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(ToTextModeBytes(""), "");
  // A carriage return already there is not doubled up, only the line feed gains one.
  EXPECT_EQ(ToTextModeBytes("a\r\nb"), "a\r\r\nb");
}

TEST(FlashPage, ArgumentsCannotBreakOutOfTheirAttributes) {
  FlashPageInput input = RedCentre();
  input.moviePath = "http://example.com/a.swf\"><script>x</script>";
  input.programFolder = std::string("C:\\P\\\0hidden", 12);
  const std::string page = FlashPageText(input);
  EXPECT_NE(page.find("value=\"http://example.com/a.swf&quot;><script>x</script>\">"),
            std::string::npos);
  // Like the format's %s, a text ends at a zero byte.
  EXPECT_NE(page.find("<img src=\"C:\\P\\transparent.gif\""), std::string::npos);
  EXPECT_EQ(page.find("hidden"), std::string::npos);
  // Web addresses keep their query untouched.
  input.moviePath = "http://example.com/m.swf?a=1&b=2";
  EXPECT_NE(FlashPageText(input).find("value=\"http://example.com/m.swf?a=1&b=2\">"),
            std::string::npos);
}

TEST(FlashPage, CharsetIsUtf8OnlyForNonAsciiPaths) {
  const std::string latin1 = "content=\"text/html;charset=iso-8859-1\">";
  const std::string utf8 = "content=\"text/html;charset=utf-8\">";
  struct Case {
    const char* movie;
    const char* folder;
    bool utf8;
  } cases[] = {
      {"C:\\Movies\\clouds.swf", "C:\\Program Files\\Skyframe\\", false},
      {"C:\\Filme\\Wolken \xC3\xBC.swf", "C:\\Program Files\\Skyframe\\", true},  // "ü" in UTF-8
      {"C:\\Movies\\clouds.swf", "C:\\Programme\\\xE5\xA4\xA9\\", true},        // a CJK folder
      {"C:\\Movies\\\x7F.swf", "C:\\P\\", false},                                   // DEL is still ASCII
      {"C:\\Movies\\\xFF", "C:\\P\\", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.movie);
    FlashPageInput input = RedCentre();
    input.moviePath = c.movie;
    input.programFolder = c.folder;
    std::string page = ToTextModeBytes(FlashPageText(input));
    EXPECT_NE(page.find(c.utf8 ? utf8 : latin1), std::string::npos);
    EXPECT_EQ(page.find(c.utf8 ? latin1 : utf8), std::string::npos);
    // The path bytes go onto the page untouched.
    EXPECT_NE(page.find(std::string("value=\"") + c.movie + "\">"), std::string::npos);
    if (!c.utf8) continue;
    // Apart from the declaration, the page is the one an ASCII path gives.
    page.replace(page.find(utf8), utf8.size(), latin1);
    FlashPageInput ascii = input;
    ascii.moviePath = "M";
    ascii.programFolder = "F";
    std::string expected = ToTextModeBytes(FlashPageText(ascii));
    expected.replace(expected.find("value=\"M\">"), 10, std::string("value=\"") + c.movie + "\">");
    expected.replace(expected.find("src=\"F"), 6, std::string("src=\"") + c.folder);
    EXPECT_EQ(page, expected);
  }
  // A zero byte ends a text, so what follows it cannot change the declaration.
  FlashPageInput input = RedCentre();
  input.moviePath = std::string("C:\\a.swf\0\xC3\xBC", 11);
  EXPECT_NE(FlashPageText(input).find(latin1), std::string::npos);
}

TEST(FlashPage, FileNameCarriesTheUserName) {
  EXPECT_EQ(FlashPageFileName("anna"), "anna_flashpage.htm");
  EXPECT_EQ(FlashPageFileName(""), "flashpage.htm");
}

}  // namespace
