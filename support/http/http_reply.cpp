#include "support/http/http_reply.h"

namespace http {

bool ParseServerAddress(std::string_view text, ServerAddress& out) {
  std::string_view host = text;
  uint32_t port = 80;
  const size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    host = text.substr(0, colon);
    const std::string_view digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
  }
  if (host.empty() || host.size() > 253) return false;
  for (unsigned char c : host) {
    if (c <= ' ' || c == 0x7f || c == '/' || c == '\\' || c == ':' || c == '@' || c == '?' || c == '#') return false;
  }
  out.host = std::string(host);
  out.port = static_cast<uint16_t>(port);
  return true;
}

std::string CheckUrl(const ServerAddress& address, std::string_view path) {
  std::string url;
  if (address.host.find("http://") == std::string::npos) url = "http://";
  url += address.host;
  if (address.port != 80) url += ":" + std::to_string(address.port);
  url += path;
  return url;
}

bool ReplyBody::Append(const char* data, size_t size) {
  if (refused_) return false;
  if (size > kMaxBytes - bytes_.size()) {
    refused_ = true;
    std::string().swap(bytes_);
    return false;
  }
  bytes_.append(data, size);
  return true;
}

std::string ReplyBody::Text() const {
  const size_t end = bytes_.find('\0');
  return end == std::string::npos ? bytes_ : bytes_.substr(0, end);
}

}  // namespace http
