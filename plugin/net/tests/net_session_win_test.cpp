// The network session against a local stand-in server: what it sends, how it
// maps failures, its time-outs and caps, and how quickly a quitting search
// gets out of a download.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "plugin/include/fetchpix.h"
#include "plugin/net/net_session_win.h"
#include "support/tests/stand_in_server_win.h"

namespace net {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the stand-in serves for /image.jpg.
std::string ImageBytes() {
  std::string bytes(20000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7 + 3) % 256);
  return bytes;
}

std::string Text(const DownloadResult& r) { return std::string(r.bytes.begin(), r.bytes.end()); }

class NetSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new StandInServer(NET_STAND_IN_SCRIPT); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (server_->port() == 0) GTEST_SKIP() << "the stand-in server (host python3) did not start";
  }
  static std::string Url(const std::string& path) { return server_->Url(path); }
  static int Connections() { return std::stoi("0" + server_->Get("/connections")); }
  static long Sent(const std::string& path) { return std::stol("0" + server_->Get("/sent?path=" + path)); }

  // Short time-outs, so that the failures below come quickly.
  static NetOptions Quick(uint32_t timeoutMs, uint32_t overallMs = 60000) {
    NetOptions options;
    options.connectTimeoutMs = options.sendTimeoutMs = options.receiveTimeoutMs = timeoutMs;
    options.overallTimeoutMs = overallMs;
    return options;
  }

  static StandInServer* server_;
};
StandInServer* NetSessionTest::server_ = nullptr;

TEST_F(NetSessionTest, DownloadsAnImageWithItsTypeAndFileName) {
  NetSession session;
  ASSERT_TRUE(session.IsOpen());
  std::string type;
  const auto result = session.Download(Url("/image.jpg"), &type);
  ASSERT_TRUE(result) << std::hex << session.lastError();
  EXPECT_EQ(result->size, 20000u);
  EXPECT_EQ(Text(*result), ImageBytes());
  EXPECT_EQ(result->fileName, "image.jpg");
  EXPECT_EQ(type, "image/jpeg");
  EXPECT_EQ(session.lastError(), 0u);

  const auto queried = session.Download(Url("/missing/a.jpg?size=big/x"), nullptr);
  EXPECT_FALSE(queried);
  const auto page = session.Download(Url("/page.html"), &type);
  ASSERT_TRUE(page);
  EXPECT_EQ(type, "text/html");
  EXPECT_EQ(NetSession::Classify(type), ContentClass::Page);
}

TEST_F(NetSessionTest, SendsItsUserAgentAndAcceptHeader) {
  NetSession session;
  const auto echo = session.Download(Url("/echo"), nullptr);
  ASSERT_TRUE(echo) << std::hex << session.lastError();
  const std::string request = Text(*echo);
  EXPECT_NE(request.find("GET /echo HTTP/1.1\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("User-Agent: Fetchpix v1.0\n"), std::string::npos) << request;
  EXPECT_NE(request.find("Accept: image/jpeg, image/gif, image/png, image/jpg, image/bmp, text/html, text/htm, "
                         "text/plain\n"),
            std::string::npos)
      << request;
}

TEST_F(NetSessionTest, ProbeAnswers) {
  const struct {
    std::string address;
    uint32_t code;
    std::string type;
  } cases[] = {
      {Url("/image.jpg"), SUCCESS, "image/jpeg"},
      {Url("/charset.jpg"), SUCCESS, "image/jpeg; charset=x"},
      {Url("/page.html"), SUCCESS, "text/html"},
      {Url("/missing"), URLUNAVAILABLE, ""},
      {Url("/busy"), SERVERBUSY, ""},
      {"ftp://127.0.0.1:" + std::to_string(server_->port()) + "/image.jpg", URLNOTHTTP, ""},
      {"not an address", URLNOTHTTP, ""},
      {"http://127.0.0.1:1/closed-port", CONNECTIONREFUSED, ""},
  };
  NetSession session(nullptr, Quick(5000));
  for (const auto& c : cases) {
    std::string type = "left over";
    EXPECT_EQ(session.Probe(c.address, &type), c.code) << c.address;
    EXPECT_EQ(type, c.type) << c.address;
    if (c.code != SUCCESS) {
      EXPECT_EQ(session.lastError(), c.code) << c.address;
    }
  }
}

TEST_F(NetSessionTest, DownloadFailures) {
  NetOptions options = Quick(5000);
  options.caps.image = 1 << 20;  // so that the endless body passes it soon
  const struct {
    const char* name;
    std::string address;
    uint32_t code;
  } cases[] = {
      {"404", Url("/missing.jpg"), URLUNAVAILABLE},
      {"503", Url("/busy"), SERVERBUSY},
      {"body ends before its announced length", Url("/short"), CONNECTIONREFUSED},
      {"announced past 4 GiB", Url("/wrong-length"), CONTENTNOTUSABLE},
      {"endless body", Url("/endless"), CONTENTNOTUSABLE},
      {"closed port", "http://127.0.0.1:1/x.jpg", CONNECTIONREFUSED},
      {"CR LF in the address", Url("/image.jpg\r\nX-Injected: 1"), URLNOTHTTP},
  };
  NetSession session(nullptr, options);
  for (const auto& c : cases) {
    std::string type = "left over";
    const auto start = Clock::now();
    EXPECT_FALSE(session.Download(c.address, &type)) << c.name;
    EXPECT_EQ(session.lastError(), c.code) << c.name;
    EXPECT_EQ(type, "") << c.name;
    EXPECT_LT(SecondsSince(start), 15.0) << c.name;
  }
  // Failures leave the session usable.
  EXPECT_TRUE(session.Download(Url("/image.jpg"), nullptr));
}

TEST_F(NetSessionTest, EndlessBodiesStopAtTheCapOfTheirClass) {
  NetOptions options = Quick(5000);
  options.caps.page = 256 << 10;
  options.caps.image = 2 << 20;
  NetSession session(nullptr, options);
  const struct {
    const char* path;
    uint64_t cap;
  } cases[] = {{"/endless.html", options.caps.page}, {"/endless", options.caps.image}};
  for (const auto& c : cases) {
    const auto start = Clock::now();
    EXPECT_FALSE(session.Download(Url(c.path), nullptr)) << c.path;
    EXPECT_EQ(session.lastError(), static_cast<uint32_t>(CONTENTNOTUSABLE)) << c.path;
    EXPECT_LT(SecondsSince(start), 10.0) << c.path;
    // What the server got out: the cap, plus what the sockets buffer.
    const long sent = Sent(c.path);
    EXPECT_GT(sent, static_cast<long>(c.cap)) << c.path;
    EXPECT_LT(sent, static_cast<long>(c.cap) + (16L << 20)) << c.path;
  }
  // Within its cap a page still downloads.
  EXPECT_TRUE(session.Download(Url("/page.html"), nullptr));
}

TEST_F(NetSessionTest, FtpFailsWithoutAnyConnection) {
  NetSession session;
  const int before = Connections();
  EXPECT_FALSE(session.Download("ftp://127.0.0.1:" + std::to_string(server_->port()) + "/image.jpg", nullptr));
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(URLNOTHTTP));
  EXPECT_EQ(Connections(), before + 1) << "only the counter query itself connected";
}

TEST_F(NetSessionTest, SilentServerAnswersWithinTheTimeOut) {
  constexpr uint32_t kTimeout = 1500;
  NetSession session(nullptr, Quick(kTimeout));
  auto start = Clock::now();
  EXPECT_FALSE(session.Download(Url("/silent"), nullptr));
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(CONNECTIONREFUSED));
  EXPECT_LT(SecondsSince(start), 3 * kTimeout / 1000.0);

  start = Clock::now();
  EXPECT_EQ(session.Probe(Url("/silent"), nullptr), static_cast<uint32_t>(CONNECTIONREFUSED));
  EXPECT_LT(SecondsSince(start), 3 * kTimeout / 1000.0);
  EXPECT_TRUE(session.Download(Url("/image.jpg"), nullptr)) << "the session is still usable";
}

TEST_F(NetSessionTest, TrickleEndsAtTheOverallDeadline) {
  // A byte every half second never trips the receive time-out.
  NetSession session(nullptr, Quick(5000, 2000));
  const auto start = Clock::now();
  EXPECT_FALSE(session.Download(Url("/trickle"), nullptr));
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(CONNECTIONREFUSED));
  EXPECT_LT(SecondsSince(start), 6.0);
  EXPECT_TRUE(session.Download(Url("/image.jpg"), nullptr)) << "a new deadline for the next download";
}

TEST_F(NetSessionTest, QuitFlagEndsALargeDownloadWithinABlock) {
  std::atomic<bool> quit{false};
  NetSession session(&quit, Quick(5000));
  std::thread stopper([&quit] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    quit = true;
  });
  const auto start = Clock::now();
  EXPECT_FALSE(session.Download(Url("/large"), nullptr));
  const double elapsed = SecondsSince(start);
  stopper.join();
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(DOWNLOADABORTED));
  // The whole body takes 40 s at the stand-in's pace; one block 20 ms.
  EXPECT_LT(elapsed, 3.0);
  EXPECT_LT(Sent("/large"), 4L << 20);
  EXPECT_FALSE(session.Download(Url("/image.jpg"), nullptr)) << "a quitting search downloads nothing more";
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(DOWNLOADABORTED));
}

// A call blocked on a silent server runs on its own thread: an abort ends the
// owner's wait at once, well before the receive time-out (which is all that
// ends the call itself under Wine), and wins over the time-out's code.
TEST_F(NetSessionTest, AbortEndsABlockedCallWithinSeconds) {
  constexpr uint32_t kTimeout = 15000;
  const struct {
    const char* name;
    const char* path;
    bool probe;
  } cases[] = {
      {"read blocked after the first block", "/stall", false},
      {"download waiting for the headers", "/silent", false},
      {"probe waiting for the headers", "/silent", true},
  };
  for (const auto& c : cases) {
    NetSession session(nullptr, Quick(kTimeout));
    double abortSeconds = 0;
    std::thread stopper([&session, &abortSeconds] {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      const auto begin = Clock::now();
      session.Abort();
      abortSeconds = SecondsSince(begin);
    });
    const auto start = Clock::now();
    const uint32_t code = c.probe ? session.Probe(Url(c.path), nullptr)
                                  : (session.Download(Url(c.path), nullptr) ? static_cast<uint32_t>(SUCCESS) : session.lastError());
    const double elapsed = SecondsSince(start);
    stopper.join();
    std::printf("%s: the owner was back %.2f s after it began (abort at 0.7 s)\n", c.name, elapsed);
    EXPECT_EQ(code, static_cast<uint32_t>(DOWNLOADABORTED)) << c.name;
    EXPECT_LT(elapsed, 5.0) << c.name;
    EXPECT_LT(abortSeconds, 1.0) << c.name << ": Abort() itself does not wait for the call";
    EXPECT_EQ(session.Probe(Url("/image.jpg"), nullptr), static_cast<uint32_t>(DOWNLOADABORTED))
        << c.name << ": an aborted session starts nothing";
  }
}

// The overall deadline ends a wait on a silent server the same way, and the
// session, whose left-behind call still holds the old handles, serves the
// next request.
TEST_F(NetSessionTest, DeadlineEndsASilentWaitAndTheSessionGoesOn) {
  NetSession session(nullptr, Quick(15000, 1500));
  const auto start = Clock::now();
  EXPECT_FALSE(session.Download(Url("/silent"), nullptr));
  const double elapsed = SecondsSince(start);
  std::printf("deadline 1.5 s, receive time-out 15 s: back after %.2f s\n", elapsed);
  EXPECT_EQ(session.lastError(), static_cast<uint32_t>(CONNECTIONREFUSED));
  EXPECT_LT(elapsed, 5.0);
  EXPECT_TRUE(session.IsOpen());
  const auto image = session.Download(Url("/image.jpg"), nullptr);
  ASSERT_TRUE(image) << std::hex << session.lastError();
  EXPECT_EQ(Text(*image), ImageBytes());
}

// Calls left behind end at their receive time-out after their sessions are
// gone; nothing of the sessions may be touched then. Several at once, and
// new sessions working while they end.
TEST_F(NetSessionTest, CallsLeftBehindEndAfterTheirSessionsAreGone) {
  constexpr uint32_t kTimeout = 2000;
  for (const char* path : {"/silent", "/stall", "/silent"}) {
    std::atomic<bool> quit{false};
    auto session = std::make_unique<NetSession>(&quit, Quick(kTimeout));
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      quit = true;
      session->Abort();
    });
    EXPECT_FALSE(session->Download(Url(path), nullptr)) << path;
    stopper.join();
    EXPECT_EQ(session->lastError(), static_cast<uint32_t>(DOWNLOADABORTED)) << path;
    session.reset();
  }
  const auto end = Clock::now() + std::chrono::milliseconds(kTimeout + 1500);
  while (Clock::now() < end) {
    NetSession session(nullptr, Quick(5000));
    EXPECT_TRUE(session.Download(Url("/image.jpg"), nullptr));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

// A search that quits raises its flag and aborts from the control thread,
// while its own thread leaves the download within a block and closes the
// session at once: both close handles of one tree at the same moment. Rounds
// at varied delays land the abort on every step of a flowing download; none
// may crash, and each ends as an abort.
TEST_F(NetSessionTest, AbortWhileTheOwnerClosesItsSessionIsSafe) {
  constexpr int kRounds = 30;
  int aborted = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::atomic<bool> quit{false};
    NetSession session(&quit, Quick(5000));
    std::atomic<bool> flowing{false};
    uint32_t code = 0;
    std::thread owner([&] {
      flowing = true;
      code = session.Download(Url("/endless"), nullptr) ? static_cast<uint32_t>(SUCCESS) : session.lastError();
      session.Close();
    });
    while (!flowing) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + round % 9 * 4));
    quit = true;
    session.Abort();
    owner.join();
    if (code == DOWNLOADABORTED) ++aborted;
  }
  EXPECT_EQ(aborted, kRounds);
}

TEST_F(NetSessionTest, TimedDownloadCountsSuccessesOnly) {
  NetSession session;
  EXPECT_EQ(session.AverageMilliseconds(), 0.0);
  ASSERT_TRUE(session.TimedDownload(Url("/image.jpg"), nullptr));
  EXPECT_FALSE(session.TimedDownload(Url("/missing"), nullptr));
  ASSERT_TRUE(session.TimedDownload(Url("/picture.png"), nullptr));
  EXPECT_EQ(session.stats().count(), 2u);
  EXPECT_EQ(session.stats().bytes(), 20000u + 8u + 1024u);
  EXPECT_GE(session.AverageMilliseconds(), 0.0);
  EXPECT_LT(session.AverageMilliseconds(), 5000.0);
}

TEST_F(NetSessionTest, FetchCandidateOverTheNetwork) {
  NetSession session;
  // A type with a parameter is still an image.
  FetchOutcome outcome = FetchCandidate(session, {Url("/charset.jpg"), "", 800, 600});
  ASSERT_EQ(outcome.code, static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(outcome.image->size, 20000u);
  EXPECT_EQ(outcome.image->width, 800u);
  EXPECT_EQ(outcome.image->fileName, "charset.jpg");

  // 404 for the image, the page address serves image/png.
  outcome = FetchCandidate(session, {Url("/missing.jpg"), Url("/picture.png"), 0, 0});
  ASSERT_EQ(outcome.code, static_cast<uint32_t>(SUCCESS));
  EXPECT_EQ(outcome.image->fileName, "picture.png");
  EXPECT_EQ(outcome.image->size, 8u + 1024u);
  EXPECT_EQ(std::string(outcome.image->bytes.begin(), outcome.image->bytes.begin() + 4), "\x89PNG");

  // A page where an image should be, and no fallback.
  outcome = FetchCandidate(session, {Url("/page.html"), "", 0, 0});
  EXPECT_EQ(outcome.code, static_cast<uint32_t>(CONTENTNOTUSABLE));
  EXPECT_FALSE(outcome.image);

  outcome = FetchCandidate(session, {Url("/busy"), Url("/missing.png"), 0, 0});
  EXPECT_EQ(outcome.code, static_cast<uint32_t>(SERVERBUSY));
}

}  // namespace
}  // namespace net
