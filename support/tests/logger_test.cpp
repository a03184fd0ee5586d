#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/log/log.h"
#include "support/tests/temp_dir.h"

namespace {

// Thu Mar 05 07:08:09 2026 UTC.
int64_t FixedClock() { return 1772694489; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { ForceUtcTimeZone(); }
  std::unique_ptr<Logger> Make(LogVariant variant = LogVariant::Program) {
    auto logger = std::make_unique<Logger>(dir.File("log.txt"), variant);
    logger->SetClock(&FixedClock);
    return logger;
  }
  std::string Text() { return ReadWholeFile(dir.File("log.txt")); }
  TempDir dir;
};

TEST_F(LoggerTest, HeaderAndFooterDashRunsPerVariant) {
  struct Case { LogVariant variant; int head; int foot; };
  for (const Case& c : {Case{LogVariant::Program, 46, 47}, Case{LogVariant::Plugin, 38, 39}}) {
    std::remove(dir.File("log.txt").c_str());
    {
      Logger logger(dir.File("log.txt"), c.variant);
      logger.SetClock(&FixedClock);
    }
    // The header used the real clock (set before the seam); check the shape only.
    const auto lines = Lines(Text());
    ASSERT_EQ(lines.size(), 6u);  // header, footer, and the four blank lines its five line ends leave
    const std::string head(c.head, '-'), foot(c.foot, '-');
    EXPECT_EQ(lines[0].substr(0, c.head + 15), head + " Log begins on ");
    EXPECT_EQ(lines[0].size(), static_cast<size_t>(c.head * 2 + 15 + 24 + 1));
    EXPECT_EQ(lines[0].substr(lines[0].size() - c.head - 1), " " + head);
    EXPECT_EQ(lines[1].substr(0, c.foot + 13), foot + " Log ends on ");
    EXPECT_EQ(lines[1].substr(lines[1].size() - c.foot - 1), " " + foot);
    for (size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(lines[i], "");
  }
}

TEST_F(LoggerTest, FooterCarriesTheDateTextWithTwoDigitDay) {
  auto logger = Make();
  logger->EndLog();
  EXPECT_NE(Text().find("----------------------------------------------- Log ends on Thu Mar 05 07:08:09 2026 -----------------------------------------------\n\n\n\n\n"),
            std::string::npos);
  const std::string once = Text();
  logger->EndLog();  // second EndLog writes nothing
  EXPECT_EQ(Text(), once);
}

TEST_F(LoggerTest, ProgramStartsFreshPluginAppends) {
  WriteWholeFile(dir.File("log.txt"), "old run\n");
  { Logger program(dir.File("log.txt"), LogVariant::Program); }
  EXPECT_EQ(Text().find("old run"), std::string::npos);
  WriteWholeFile(dir.File("log.txt"), "old run\n");
  { Logger plugin(dir.File("log.txt"), LogVariant::Plugin); }
  EXPECT_EQ(Text().rfind("old run\n", 0), 0u);
}

TEST_F(LoggerTest, LinePrefixTable) {
  auto logger = Make();
  struct Case { uint32_t level; const char* file; int line; const char* expected; };
  const Case cases[] = {
      {18, "C:\\src\\shell\\main.cpp", 42, "I     main.cpp[0042]03/05 07:08:09 "},
      {24, "main.cpp", 7, "E     main.cpp[0007]03/05 07:08:09 "},  // no backslash: whole name
      {4, "a\\very_long_source_name.cpp", 3, "F very_long_source_name.cpp[0003]03/05 07:08:09 "},
      {32, "x.cpp", 12345, "!        x.cpp[12345]03/05 07:08:09 "},
      {1, "x.cpp", 0, ">        x.cpp[0000]03/05 07:08:09 "},
      {2, "x.cpp", 0, "<        x.cpp[0000]03/05 07:08:09 "},
      {16, "x.cpp", 0, "D        x.cpp[0000]03/05 07:08:09 "},
      {20, "x.cpp", 0, "W        x.cpp[0000]03/05 07:08:09 "},
      {0xFFFFFFFFu, "x.cpp", 0, "A        x.cpp[0000]03/05 07:08:09 "},
      {19, "x.cpp", 0, "         x.cpp[0000]03/05 07:08:09 "},
      {18, "trailing\\", 1, "I             [0001]03/05 07:08:09 "},
  };
  for (const Case& c : cases) {
    logger->sourceFile = c.file;
    logger->sourceLine = c.line;
    EXPECT_EQ(logger->LinePrefix(c.level), c.expected) << c.file;
  }
}

TEST_F(LoggerTest, ScopesIndentWithBarsAndNeverGoNegative) {
  auto logger = Make();
  logger->sourceFile = "s.cpp";
  logger->EnterScope("outer", 18);
  logger->EnterScope("inner", 18);
  EXPECT_EQ(logger->Indent(), 8);
  EXPECT_EQ(logger->LinePrefix(18).substr(35), " |   |  ");
  logger->Write("deep", 18);
  logger->ExitScope("inner", 18);
  logger->ExitScope("outer", 18);
  logger->ExitScope("extra", 18);
  EXPECT_EQ(logger->Indent(), 0);
  const auto lines = Lines(Text());
  ASSERT_EQ(lines.size(), 7u);
  const std::string pre = "I        s.cpp[0000]03/05 07:08:09 ";
  EXPECT_EQ(lines[1], pre + " +- outer");
  EXPECT_EQ(lines[2], pre + " |  " + " +- inner");
  EXPECT_EQ(lines[3], pre + " |   |  " + "deep");
  EXPECT_EQ(lines[4], pre + " |  " + " +- inner");
  EXPECT_EQ(lines[5], pre + " +- outer");
  EXPECT_EQ(lines[6], pre + " +- extra");
}

TEST_F(LoggerTest, WriteHexLaysOutTwentyBytesPerLine) {
  auto logger = Make();
  logger->sourceFile = "h.cpp";
  std::vector<uint8_t> bytes(21);
  for (int i = 0; i < 20; ++i) bytes[i] = static_cast<uint8_t>('A' + i);
  bytes[2] = 0x1F;
  bytes[3] = 0x80;
  bytes[4] = 0x20;
  bytes[5] = 0x7F;
  bytes[20] = 0x41;
  logger->WriteHex(bytes.data(), 21, 18);
  logger->WriteHex(bytes.data(), 0, 18);
  logger->WriteHex(nullptr, 5, 18);
  const auto lines = Lines(Text());
  ASSERT_EQ(lines.size(), 3u);
  const size_t p = logger->LinePrefix(18).size();
  const std::string first = lines[1].substr(p), second = lines[2].substr(p);
  ASSERT_EQ(first.size(), 80u);
  EXPECT_EQ(first.substr(0, 18), "41 42 1F 80 20 7F ");
  EXPECT_EQ(first.substr(60), std::string("AB.. \x7FGHIJKLMNOPQRST"));
  EXPECT_EQ(second.substr(0, 6), "41 -- ");
  EXPECT_EQ(second.substr(57, 3), "-- ");
  EXPECT_EQ(second.substr(60), "A" + std::string(19, '.'));
}

TEST_F(LoggerTest, FailedOpenLosesTheLineButKeepsState) {
  Logger logger(dir.File("missing-folder/log.txt"));
  EXPECT_TRUE(logger.Begun());
  logger.EnterScope("x", 18);
  EXPECT_EQ(logger.Indent(), 0);  // the line was not written, so no deeper scope
  logger.EndLog();
  EXPECT_FALSE(logger.Begun());  // cleared although the footer could not be written
}

TEST_F(LoggerTest, MacrosNoteTheCallerAndSkipWithoutLogger) {
  g_logger = nullptr;
  SF_LOG(kLogInfo, "nobody listens");  // must not crash
  auto logger = Make();
  g_logger = logger.get();
  const int line = __LINE__ + 1;
  SF_LOG(kLogInfo, "hello");
  {
    SF_TRACE_FUNCTION("Work");
    SF_LOG(kLogError, "inside");
  }
  g_logger = nullptr;
  const auto lines = Lines(Text());
  ASSERT_EQ(lines.size(), 5u);
  char expected[64];
  std::snprintf(expected, sizeof expected, "I logger_test.cpp[%04d]03/05 07:08:09 hello", line);
  EXPECT_EQ(lines[1], expected);
  EXPECT_EQ(lines[2].substr(0, 2), "F ");
  EXPECT_NE(lines[2].find(" +- Enter function: Work"), std::string::npos);
  EXPECT_NE(lines[3].find(":09  |  inside"), std::string::npos);
  EXPECT_NE(lines[4].find(":09  +- Exit function: Work"), std::string::npos);
}

// Both variants: a line is in the file when its write returns (a crash
// right after it keeps it), and after the footer the file is let go, so a
// file removed between two runs comes back with the next line.
TEST_F(LoggerTest, EveryLineIsOnDiskAtOnceAndTheFooterLetsTheFileGo) {
  for (LogVariant variant : {LogVariant::Program, LogVariant::Plugin}) {
    std::remove(dir.File("log.txt").c_str());
    auto logger = Make(variant);
    for (int i = 0; i < 3; ++i) {
      logger->Write("line " + std::to_string(i), kLogInfo);
      const std::string text = Text();
      ASSERT_GE(text.size(), 7u);
      EXPECT_EQ(text.substr(text.size() - 7), "line " + std::to_string(i) + "\n");
    }
    logger->EnterScope("scope", kLogInfo);
    EXPECT_NE(Text().find(" +- scope\n"), std::string::npos);
    logger->EndLog();
    EXPECT_NE(Text().find(" Log ends on "), std::string::npos);
    ASSERT_EQ(std::remove(dir.File("log.txt").c_str()), 0);
    logger->Write("after the footer", kLogInfo);
    const auto lines = Lines(Text());
    ASSERT_EQ(lines.size(), 1u) << static_cast<int>(variant);
    EXPECT_NE(lines[0].find("after the footer"), std::string::npos);
    logger->BeginLog();
    logger->Write("second run", kLogInfo);
    EXPECT_NE(Text().find("second run\n"), std::string::npos);
  }
}

TEST_F(LoggerTest, PluginVariantKeepsEachLineWithItsOwnSourcePosition) {
  auto logger = Make(LogVariant::Plugin);
  auto worker = [&](const char* file, int line, const char* text) {
    for (int i = 0; i < 200; ++i) logger->WriteAt(file, line, text, kLogInfo);
  };
  std::thread a(worker, "alpha.cpp", 1111, "from alpha");
  std::thread b(worker, "beta.cpp", 2222, "from beta");
  a.join();
  b.join();
  const auto lines = Lines(Text());
  ASSERT_EQ(lines.size(), 401u);
  for (size_t i = 1; i < lines.size(); ++i) {
    const bool alpha = lines[i].find("alpha.cpp[1111]") != std::string::npos &&
                       lines[i].size() > 10 && lines[i].substr(lines[i].size() - 10) == "from alpha";
    const bool beta = lines[i].find("beta.cpp[2222]") != std::string::npos &&
                      lines[i].substr(lines[i].size() - 9) == "from beta";
    EXPECT_TRUE(alpha || beta) << lines[i];
  }
}

}  // namespace
