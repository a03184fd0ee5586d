#include "support/http/http_request_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/tests/stand_in_server_win.h"

namespace {

class HttpRequestTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new StandInServer(BACKEND_STAND_IN_SCRIPT, 200); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (server_->port() == 0) GTEST_SKIP() << "the back-end stand-in did not start";
  }
  static std::string Address() { return server_->Address(); }
  static StandInServer* server_;
};

StandInServer* HttpRequestTest::server_ = nullptr;

const char kForm[] = "Product_Name=Skyframe&Product_Version=PC 1.01&Beta=0";

TEST_F(HttpRequestTest, PostsTheBodyWithTheDefaultsAndReturnsTheReply) {
  ASSERT_TRUE(server_->Get("/mode?message").size());
  CHTTPRequest request;
  const char* reply = request.Request(Address().c_str(), "/Update/Update.php", "POST", kForm, sizeof kForm - 1);
  ASSERT_NE(reply, nullptr) << request.GetErrorCode();
  EXPECT_STREQ(reply, "<reply><update><msg>You have the newest version.</msg></update></reply>");
  EXPECT_STREQ(request.GetResponseText(), reply);
  EXPECT_EQ(request.GetErrorCode(), 0u);
  EXPECT_EQ(request.GetStatusCode(), 200u);
  EXPECT_EQ(request.GetStage(), 11);

  const std::string received = server_->Get("/received");
  EXPECT_EQ(received.rfind("POST /Update/Update.php\n", 0), 0u) << received;
  EXPECT_NE(received.find("Content-Type: application/x-www-form-urlencoded\n"), std::string::npos) << received;
  EXPECT_NE(received.find("User-Agent: CHTTPRequest Client\n"), std::string::npos) << received;
  EXPECT_NE(received.find("Content-Length: 52\n"), std::string::npos) << received;
  EXPECT_EQ(received.substr(received.size() - (sizeof kForm - 1)), kForm) << received;
}

TEST_F(HttpRequestTest, GathersSeveralBlocksInOrder) {
  CHTTPRequest request;
  const char* reply = request.Request(Address().c_str(), "/blocks", "GET", "", 0);
  ASSERT_NE(reply, nullptr) << request.GetErrorCode();
  std::string expected;
  for (char c = 'a'; c <= 'e'; ++c) expected.append(10000, c);
  EXPECT_EQ(std::string(reply), expected);
  EXPECT_EQ(request.GetStage(), 11);
}

TEST_F(HttpRequestTest, ZeroLengthReplyIsEmptyNotNull) {
  CHTTPRequest request;
  const char* reply = request.Request(Address().c_str(), "/empty", "GET", "", 0);
  ASSERT_NE(reply, nullptr) << request.GetErrorCode();
  EXPECT_STREQ(reply, "");
  EXPECT_EQ(request.GetErrorCode(), 0u);
}

TEST_F(HttpRequestTest, FailuresGiveNullWithTheirCause) {
  struct Case {
    const char* path;
    uint32_t status;
    uint32_t error;
  };
  // A 500 page that happens to hold the expected elements is still no reply.
  const Case cases[] = {
      {"/error", 500, ERROR_HTTP_INVALID_SERVER_RESPONSE},
      {"/missing", 404, ERROR_HTTP_INVALID_SERVER_RESPONSE},
      {"/big", 200, CHTTPRequest::kErrorReplyTooLarge},
  };
  for (const Case& c : cases) {
    CHTTPRequest request;
    EXPECT_EQ(request.Request(Address().c_str(), c.path, "GET", "", 0), nullptr) << c.path;
    EXPECT_EQ(request.GetStatusCode(), c.status) << c.path;
    EXPECT_EQ(request.GetErrorCode(), c.error) << c.path;
  }
}

TEST_F(HttpRequestTest, NullArgumentsAndBadAddressesFailAtOnce) {
  CHTTPRequest request;
  EXPECT_EQ(request.Request(nullptr, "/", "GET", "", 0), nullptr);
  EXPECT_EQ(request.Request(Address().c_str(), nullptr, "GET", "", 0), nullptr);
  EXPECT_EQ(request.Request(Address().c_str(), "/", nullptr, "", 0), nullptr);
  EXPECT_EQ(request.Request(Address().c_str(), "/", "GET", nullptr, 0), nullptr);
  EXPECT_EQ(request.GetStage(), 0);
  EXPECT_EQ(request.Request("127.0.0.1:99999", "/", "GET", "", 0), nullptr);
  EXPECT_NE(request.GetErrorCode(), 0u);
}

TEST_F(HttpRequestTest, ClosedPortFailsWithASystemError) {
  CHTTPRequest request;
  // Port 1 on the loopback has nobody listening here.
  EXPECT_EQ(request.Request("127.0.0.1:1", "/Update/Update.php", "POST", kForm, sizeof kForm - 1), nullptr);
  EXPECT_NE(request.GetErrorCode(), 0u);
  EXPECT_LT(request.GetStage(), 6);
}

TEST_F(HttpRequestTest, SilentServerEndsAtTheTimeout) {
  CHTTPRequest request;
  request.SetTimeout(2000);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(request.Request(Address().c_str(), "/silent", "GET", "", 0), nullptr);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_NE(request.GetErrorCode(), 0u);
  EXPECT_LT(took, std::chrono::seconds(15));
}

TEST_F(HttpRequestTest, CancelFromAnotherThreadEndsTheExchangeAsCancelled) {
  CHTTPRequest request;
  request.SetTimeout(4000);
  const char* reply = reinterpret_cast<const char*>(1);
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] { reply = request.Request(Address().c_str(), "/silent", "GET", "", 0); });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  request.Cancel();
  worker.join();
  EXPECT_EQ(reply, nullptr);
  EXPECT_EQ(request.GetErrorCode(), CHTTPRequest::kErrorCancelled);
  // At once on Windows; Wine runs the blocked call on to its time-out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  // A cancelled client stays cancelled.
  EXPECT_EQ(request.Request(Address().c_str(), "/empty", "GET", "", 0), nullptr);
}

}  // namespace
