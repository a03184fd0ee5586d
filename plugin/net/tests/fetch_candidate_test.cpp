// Fetching one candidate: image address first, page address as the fallback.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "plugin/include/fetchpix.h"
#include "plugin/net/fetch_candidate.h"

namespace net {
namespace {

// Serves canned answers by address and records what was asked.
class FakeDownloader : public Downloader {
 public:
  struct Answer {
    uint32_t error = 0;  // non-zero: the download fails with it
    std::string type;
    std::string body;
  };
  std::map<std::string, Answer> answers;
  std::vector<std::string> asked;

  std::optional<DownloadResult> TimedDownload(const std::string& address, std::string* type) override {
    asked.push_back(address);
    const auto it = answers.find(address);
    if (it == answers.end() || it->second.error) {
      lastError_ = it == answers.end() ? static_cast<uint32_t>(URLUNAVAILABLE) : it->second.error;
      return std::nullopt;
    }
    if (type) *type = it->second.type;
    DownloadResult result;
    result.bytes.assign(it->second.body.begin(), it->second.body.end());
    result.size = static_cast<uint32_t>(result.bytes.size());
    result.fileName = address.substr(address.find_last_of('/') + 1);
    return result;
  }
  uint32_t lastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

const std::string kImage = "http://h/i.jpg", kPage = "http://h/p.png";

TEST(FetchCandidateTest, Outcomes) {
  using A = FakeDownloader::Answer;
  const struct {
    const char* name;
    std::optional<A> image, page;  // nothing: the address is not asked for (page) or missing
    bool withPage;
    uint32_t code;
    std::string body;          // of the attached image
    std::vector<std::string> asked;
  } cases[] = {
      {"image served", A{0, "image/jpeg", "JPG"}, std::nullopt, true, SUCCESS, "JPG", {kImage}},
      {"image type with a parameter", A{0, "image/jpeg; charset=x", "J"}, std::nullopt, false, SUCCESS, "J", {kImage}},
      {"404, page serves a png", A{URLUNAVAILABLE}, A{0, "image/png", "PNG"}, true, SUCCESS, "PNG", {kImage, kPage}},
      {"html instead of an image, page serves one", A{0, "text/html", "<a>"}, A{0, "image/gif", "GIF"}, true, SUCCESS,
       "GIF", {kImage, kPage}},
      {"html instead of an image, no page", A{0, "text/html", "<a>"}, std::nullopt, false, CONTENTNOTUSABLE, "",
       {kImage}},
      {"no type at all", A{0, "", "?"}, std::nullopt, false, CONTENTNOTUSABLE, "", {kImage}},
      {"page is html too: the image's code", A{0, "text/html"}, A{0, "text/html"}, true, CONTENTNOTUSABLE, "",
       {kImage, kPage}},
      {"refused, page fails: the image's code", A{CONNECTIONREFUSED}, A{URLUNAVAILABLE}, true, CONNECTIONREFUSED, "",
       {kImage, kPage}},
      {"busy, no page", A{SERVERBUSY}, std::nullopt, false, SERVERBUSY, "", {kImage}},
      {"no connection: the page is not tried", A{NOCONNECTION}, A{0, "image/png", "PNG"}, true, NOCONNECTION, "",
       {kImage}},
      {"aborted: the page is not tried", A{DOWNLOADABORTED}, A{0, "image/png", "PNG"}, true, DOWNLOADABORTED, "",
       {kImage}},
      {"aborted during the page", A{URLUNAVAILABLE}, A{DOWNLOADABORTED}, true, DOWNLOADABORTED, "", {kImage, kPage}},
      {"not http, page serves an image", A{URLNOTHTTP}, A{0, "image/bmp", "BMP"}, true, SUCCESS, "BMP",
       {kImage, kPage}},
  };
  for (const auto& c : cases) {
    FakeDownloader session;
    if (c.image) session.answers[kImage] = *c.image;
    if (c.page) session.answers[kPage] = *c.page;
    const Candidate candidate{kImage, c.withPage ? kPage : "", 640, 480};
    const FetchOutcome outcome = FetchCandidate(session, candidate);
    EXPECT_EQ(outcome.code, c.code) << c.name;
    EXPECT_EQ(session.asked, c.asked) << c.name;
    ASSERT_EQ(outcome.image.has_value(), c.code == SUCCESS) << c.name;
    if (outcome.image) {
      const CandidateImage& image = *outcome.image;
      EXPECT_EQ(std::string(image.bytes.begin(), image.bytes.end()), c.body) << c.name;
      EXPECT_EQ(image.size, c.body.size()) << c.name;
      EXPECT_EQ(image.width, 640u) << c.name << ": the announced size, not the page's";
      EXPECT_EQ(image.height, 480u) << c.name;
      EXPECT_EQ(image.reserved, 0u) << c.name;
    }
  }
}

TEST(FetchCandidateTest, FileNameComesFromTheAddressThatServedTheImage) {
  FakeDownloader session;
  session.answers[kPage] = {0, "image/png", "PNG"};
  const FetchOutcome outcome = FetchCandidate(session, {kImage, kPage, 0, 0});
  ASSERT_TRUE(outcome.image);
  EXPECT_EQ(outcome.image->fileName, "p.png");
}

}  // namespace
}  // namespace net
