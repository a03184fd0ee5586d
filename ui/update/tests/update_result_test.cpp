#include "ui/update/update_result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using update::Element;

TEST(UpdateRequestTest, BodyCarriesTheValuesAsTheyStand) {
  EXPECT_EQ(update::RequestBody(update::kProductName, update::kProductVersion, 0),
            "Product_Name=Skyframe&Product_Version=PC 1.01&Beta=0");
  EXPECT_EQ(update::RequestBody("A&B", "1 2", 1), "Product_Name=A&B&Product_Version=1 2&Beta=1");
}

TEST(UpdateResultTest, EachReplyKindGivesItsText) {
  const std::string prefix = update::kFailurePrefix;
  struct Case {
    const char* what;
    bool empty;
    std::vector<Element> inner;
    bool found;
    std::string message;
    std::string link;
  };
  const Case cases[] = {
      {"message and link", false, {{"msg", "2.0 is out"}, {"link", "http://x/d"}}, true, "2.0 is out", "http://x/d"},
      {"link only", false, {{"link", "http://x/d"}}, true, update::kUpdateFoundText, "http://x/d"},
      {"message only", false, {{"msg", "Newest"}}, false, "Newest", ""},
      {"empty reply", true, {}, false, prefix + "0", ""},
      {"no elements", false, {}, false, prefix + "Invalid response", ""},
      {"other elements", false, {{"version", "2"}}, false, prefix + "Invalid response", ""},
      {"names without case", false, {{"MSG", "m"}, {"Link", "http://y"}}, true, "m", "http://y"},
      {"last of each wins", false, {{"msg", "a"}, {"link", "http://1"}, {"msg", "b"}, {"link", "http://2"}}, true,
       "b", "http://2"},
      {"empty link", false, {{"link", ""}}, false, prefix + "Invalid response", ""},
      {"empty link with message", false, {{"msg", "m"}, {"link", ""}}, false, "m", ""},
  };
  for (const Case& c : cases) {
    const update::Result r = update::ReadResult(c.empty, c.inner);
    EXPECT_FALSE(r.failed) << c.what;
    EXPECT_EQ(r.updateFound, c.found) << c.what;
    EXPECT_EQ(r.message, c.message) << c.what;
    EXPECT_EQ(r.link, c.link) << c.what;
  }
}

TEST(UpdateResultTest, FailedExchangeNamesItsCode) {
  const update::Result r = update::FailedResult(12029);
  EXPECT_TRUE(r.failed);
  EXPECT_FALSE(r.updateFound);
  EXPECT_EQ(r.message, "Unable to query the internet for an update. Code: 12029");
  EXPECT_EQ(update::FailedResult(0).message, "Unable to query the internet for an update. Code: 0");
}

TEST(UpdateLinkTest, OnlyPlainWebAddressesOpen) {
  struct Case {
    std::string link;
    bool ok;
  };
  const Case cases[] = {
      {"http://www.quillmoor.com/skyframe/download", true},
      {"https://www.quillmoor.com/d?v=2&x=1", true},
      {"HTTP://EXAMPLE.ORG/", true},
      {"http://" + std::string(update::kMaxLinkBytes - 7, 'a'), true},
      {"http://" + std::string(update::kMaxLinkBytes - 6, 'a'), false},
      {"", false},
      {"http://", false},
      {"https://", false},
      {"C:\\Windows\\System32\\calc.exe", false},
      {"calc.exe", false},
      {"\\\\server\\share\\setup.exe", false},
      {"file:///C:/Windows/notepad.exe", false},
      {"ftp://example.org/", false},
      {"javascript:alert(1)", false},
      {"http:\\\\server\\share", false},
      {"http:///etc", false},
      {"http://a b", false},
      {"http://a\"b", false},
      {"http://x/\n", false},
      {std::string("http://x/\0.exe", 14), false},
      {" http://x/", false},
  };
  for (const Case& c : cases) EXPECT_EQ(update::IsOpenableLink(c.link), c.ok) << c.link;
}

}  // namespace
