#include "ui/update/update_result.h"

#include "support/text/ascii.h"

namespace update {


std::string RequestBody(std::string_view productName, std::string_view productVersion, int beta) {
  std::string body = "Product_Name=";
  body += productName;
  body += "&Product_Version=";
  body += productVersion;
  body += "&Beta=";
  body += std::to_string(beta);
  return body;
}

Result FailedResult(uint32_t code) {
  Result r;
  r.failed = true;
  r.message = std::string(kFailurePrefix) + std::to_string(code);
  return r;
}

Result ReadResult(bool empty, const std::vector<Element>& inner) {
  Result r;
  if (empty) {
    r.message = std::string(kFailurePrefix) + "0";
    return r;
  }
  for (const Element& e : inner) {
    if (EqualsIgnoreCaseAscii(e.name, "link")) {
      r.link = e.value;
    } else if (EqualsIgnoreCaseAscii(e.name, "msg")) {
      r.message = e.value;
    }
  }
  // An empty link has no page to visit: no update to offer, nothing to ask
  // about on closing.
  r.updateFound = !r.link.empty();
  if (r.link.empty() && r.message.empty()) r.message = std::string(kFailurePrefix) + "Invalid response";
  if (r.message.empty()) r.message = kUpdateFoundText;
  return r;
}

bool IsOpenableLink(std::string_view link) {
  std::string_view rest;
  if (StartsWithIgnoreCaseAscii(link, "http://")) {
    rest = link.substr(7);
  } else if (StartsWithIgnoreCaseAscii(link, "https://")) {
    rest = link.substr(8);
  } else {
    return false;
  }
  if (link.size() > kMaxLinkBytes || rest.empty() || rest[0] == '/' || rest[0] == '\\') return false;
  for (unsigned char c : link) {
    if (c <= ' ' || c == 0x7f || c == '"' || c == '\\') return false;
  }
  return true;
}

}  // namespace update
