#include "imagelist/playlist_formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
constexpr const char* kFolder = "C:\\lists\\";

struct ReaderCase {
  const char* name;
  PlaylistFormat format;
  std::string text;
  Strings expected;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class Readers : public testing::TestWithParam<ReaderCase> {};

TEST_P(Readers, FindEntries) {
  const ReaderCase& c = GetParam();
  Strings out;
  ReadPlaylistText(c.format, c.text, kFolder, out);
  EXPECT_EQ(out, c.expected);
}

const ReaderCase kLineListCases[] = {
    {"m3u_comments_blanks_and_empty_lines", kFormatM3U,
     "#EXTM3U\n#EXTINF:-1,beach\nbeach.jpg\n  C:\\pics\\sun.jpg\n\n",
     {"C:\\lists\\beach.jpg", "C:\\pics\\sun.jpg"}},
    {"m3u_rooted_line_is_relative_to_list", kFormatM3U, "\\photos\\a.jpg", {"C:\\lists\\photos\\a.jpg"}},
    {"m3u_forward_slash_root_dropped_once", kFormatM3U, "//x/a.jpg", {"C:\\lists\\/x/a.jpg"}},
    {"m3u_network_path_kept", kFormatM3U, "\\\\server\\share\\a.jpg", {"\\\\server\\share\\a.jpg"}},
    {"m3u_web_address_kept", kFormatM3U, "http://example.com/a.jpg\n", {"http://example.com/a.jpg"}},
    {"m3u_comment_after_blanks", kFormatM3U, "   #not an entry\nb.png", {"C:\\lists\\b.png"}},
    {"m3u_trailing_blanks_and_inner_slashes_kept", kFormatM3U, "sub/a b.jpg  ", {"C:\\lists\\sub/a b.jpg  "}},
    {"m3u_blank_only_line_is_no_entry", kFormatM3U, "   \na.jpg", {"C:\\lists\\a.jpg"}},
    {"m3u_tabs_are_not_blanks", kFormatM3U, "\ta.jpg", {"C:\\lists\\\ta.jpg"}},
    {"m3u_no_final_line_feed", kFormatM3U, "a.jpg\nb.jpg", {"C:\\lists\\a.jpg", "C:\\lists\\b.jpg"}},
    {"m3u_empty_text", kFormatM3U, "", {}},
    {"m3u_only_line_feeds", kFormatM3U, "\n\n\n", {}},
    {"m3u_no_entities_decoded", kFormatM3U, "a&apos;s.jpg", {"C:\\lists\\a&apos;s.jpg"}},
};
INSTANTIATE_TEST_SUITE_P(LineList, Readers, testing::ValuesIn(kLineListCases),
                         [](const auto& info) { return std::string(info.param.name); });

const ReaderCase kPlsCases[] = {
    {"pls_v2_file_lines_only", kFormatPLS,
     "[playlist]\nPlaylistName=x\nFile1=C:\\a.jpg\nTitle1=a\nFile2= b.jpg\nNumberOfEntries=2\nVersion=2",
     {"C:\\a.jpg", "C:\\lists\\b.jpg"}},
    {"pls_v2_numbers_do_not_order", kFormatPLS, "[playlist]\nFile2=C:\\two.jpg\nFile1=C:\\one.jpg\nVersion=2\n",
     {"C:\\two.jpg", "C:\\one.jpg"}},
    {"pls_v2_case_insensitive_markers", kFormatPLS, "[PlayList]\n  FILE1=C:\\a.jpg\nversion=2",
     {"C:\\a.jpg"}},
    {"pls_v2_without_header_reads_from_start", kFormatPLS, "File1=C:\\a.jpg\nVersion=2", {"C:\\a.jpg"}},
    {"pls_v2_value_after_first_equals", kFormatPLS, "[playlist]\nFile1=C:\\a=b.jpg\nVersion=2",
     {"C:\\a=b.jpg"}},
    {"pls_v2_file_line_without_equals_skipped", kFormatPLS, "[playlist]\nFile1\nFile2=\nFile3=C:\\c.jpg\nVersion=2",
     {"C:\\c.jpg"}},
    {"pls_v1_every_line_after_header", kFormatPLS, "junk\n[playlist]\nC:\\a.jpg\nNumberOfEntries=1\n",
     {"C:\\a.jpg", "C:\\lists\\NumberOfEntries=1"}},
    // "Version=2" counts only within the last 15 characters; version 1 takes lines as they stand.
    {"pls_version_marker_too_early_is_v1", kFormatPLS, "[playlist]\nVersion=2\nFile1=C:\\a.jpg\n",
     {"C:\\lists\\Version=2", "File1=C:\\a.jpg"}},
    {"pls_header_at_very_end", kFormatPLS, "[playlist]", {}},
    {"pls_header_then_one_char", kFormatPLS, "[playlist]x", {}},
    {"pls_empty", kFormatPLS, "", {}},
};
INSTANTIATE_TEST_SUITE_P(Pls, Readers, testing::ValuesIn(kPlsCases),
                         [](const auto& info) { return std::string(info.param.name); });

const ReaderCase kPlaystringCases[] = {
    {"b4s_file_scheme_dropped", kFormatB4S,
     "<?xml version=\"1.0\"?><WinampXML><playlist num_entries=\"1\">"
     "<entry Playstring=\"file:C:\\My Pictures\\x.jpg\"><Name>x</Name></entry></playlist></WinampXML>",
     {"C:\\My Pictures\\x.jpg"}},
    {"b4s_blanks_around_scheme", kFormatB4S, "<entry Playstring=\"  FILE:  C:\\a.jpg\"/>", {"C:\\a.jpg"}},
    {"b4s_relative_and_entities", kFormatB4S, "playstring=\"a&quot;b&nbsp;c&apos;d&amp;e.jpg\"",
     {"C:\\lists\\a\"b c'd&amp;e.jpg"}},
    {"b4s_several_in_order", kFormatB4S, "Playstring=\"a.jpg\" Playstring=\"b.jpg\"PLAYSTRING=\"c.jpg\"",
     {"C:\\lists\\a.jpg", "C:\\lists\\b.jpg", "C:\\lists\\c.jpg"}},
    {"b4s_unclosed_quote_runs_to_end", kFormatB4S, "Playstring=\"C:\\a.jpg", {"C:\\a.jpg"}},
    {"b4s_marker_without_quote", kFormatB4S, "Playstring= nothing", {}},
    {"b4s_empty_value_skipped", kFormatB4S, "Playstring=\"\" Playstring=\"file:\" Playstring=\"b.jpg\"",
     {"C:\\lists\\b.jpg"}},
    {"b4s_value_spanning_lines_skipped", kFormatB4S, "Playstring=\"a.jpg\nFile2=C:\\evil\" Playstring=\"b.jpg\"",
     {"C:\\lists\\b.jpg"}},
    {"bpl_same_scan", kFormatBPL, "<item Playstring=\"file:D:\\b.png\" />", {"D:\\b.png"}},
};
INSTANTIATE_TEST_SUITE_P(Playstring, Readers, testing::ValuesIn(kPlaystringCases),
                         [](const auto& info) { return std::string(info.param.name); });

const ReaderCase kAttributeCases[] = {
    {"asx_href_entity", kFormatASX, "<asx version=\"3.0\"><entry><ref href=\"pic&apos;s.jpg\"/></entry></asx>",
     {"C:\\lists\\pic's.jpg"}},
    {"asx_any_element_and_case", kFormatASX, "<Ref HREF = \" C:\\a.jpg\"/><moreinfo href=\"http://x/\"/>",
     {"C:\\a.jpg", "http://x/"}},
    {"asx_file_scheme_kept", kFormatASX, "<ref href=\"file:C:\\a.jpg\"/>", {"file:C:\\a.jpg"}},
    {"asx_quote_far_away_is_still_taken", kFormatASX, "href <x> \"a.jpg\"", {"C:\\lists\\a.jpg"}},
    {"wpl_media_src", kFormatWPL,
     "<smil><body><seq><media src=\"..\\pics\\a.jpg\"/><media src=\"\\\\nas\\b.jpg\"/></seq></body></smil>",
     {"C:\\lists\\..\\pics\\a.jpg", "\\\\nas\\b.jpg"}},
    {"wpl_href_not_a_marker", kFormatWPL, "<a href=\"x.jpg\"/>", {}},
    {"wpl_unclosed", kFormatWPL, "<media src=\"a.jpg", {"C:\\lists\\a.jpg"}},
    {"wpl_marker_at_end", kFormatWPL, "<media src", {}},
};
INSTANTIATE_TEST_SUITE_P(Attribute, Readers, testing::ValuesIn(kAttributeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlaylistFormats, FormatByExtension) {
  struct Case {
    const char* ext;
    PlaylistFormat format;
  } cases[] = {{".m3u", kFormatM3U}, {".B4S", kFormatB4S}, {".Pls", kFormatPLS}, {".asx", kFormatASX},
               {".WPL", kFormatWPL}, {".BPL", kFormatBPL}, {".txt", kFormatM3U}, {"", kFormatM3U},
               {".m3u8", kFormatM3U}, {".plsx", kFormatM3U}};
  for (const Case& c : cases) EXPECT_EQ(FormatForExtension(c.ext), c.format) << c.ext;
}

TEST(PlaylistFormats, EntityDecodingDecodesOnlyThree) {
  EXPECT_EQ(DecodeEntities("&apos;&quot;&nbsp;&amp;&lt;"), "'\" &amp;&lt;");
  EXPECT_EQ(DecodeEntities("&&apos;quot;"), "&'quot;");
  EXPECT_EQ(DecodeEntities("&apos"), "&apos");
}

TEST(PlaylistFormats, PlsWriterIsByteExact) {
  const Strings entries = {"C:\\pics\\beach.jpg", "\\\\nas\\share\\sun.set.png", "C:\\noext"};
  EXPECT_EQ(FormatPls(entries),
            "[playlist]\r\nPlaylistName=Farther Afield playlist\r\n"
            "File1=C:\\pics\\beach.jpg\r\nTitle1=beach\r\n"
            "File2=\\\\nas\\share\\sun.set.png\r\nTitle2=sun.set\r\n"
            "File3=C:\\noext\r\nTitle3=noext\r\n"
            "NumberOfEntries=3\r\nVersion=2");
  EXPECT_EQ(FormatPls({}), "[playlist]\r\nPlaylistName=Farther Afield playlist\r\nNumberOfEntries=0\r\nVersion=2");
}

TEST(PlaylistFormats, WrittenPlsReadsBack) {
  Strings entries;
  for (int i = 0; i < 120; ++i) entries.push_back("C:\\pics\\" + std::to_string(i) + " image=x.jpg");
  entries.push_back("\\\\nas\\share\\a.jpg");
  std::string text = FormatPls(entries);
  // What text-mode reading hands the reader.
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  Strings back;
  ReadPls(lf, kFolder, back);
  EXPECT_EQ(back, entries);
}

TEST(PlaylistFormats, HugeInputsStayLinear) {
  // A megabyte of markers without values, and of quotes without markers:
  // each must finish promptly with a bounded result.
  std::string markers;
  for (int i = 0; i < 100000; ++i) markers += "Playstring";
  Strings out;
  ReadPlaystrings(markers, kFolder, out);
  EXPECT_TRUE(out.empty());

  std::string many;
  for (int i = 0; i < 50000; ++i) many += "href=\"a.jpg\"";
  ReadAttribute(many, "href", kFolder, out);
  EXPECT_EQ(out.size(), 50000u);

  std::string lines(1 << 20, '\n');
  out.clear();
  ReadLineList(lines, kFolder, out);
  EXPECT_TRUE(out.empty());
}

}  // namespace
