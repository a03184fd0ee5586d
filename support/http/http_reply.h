#pragma once
// The portable parts of the program's HTTP client: where a request goes, and
// how a reply body is gathered without trusting the server.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace http {

// A back-end address as the settings hold it: "host" or "host:port".
struct ServerAddress {
  std::string host;
  uint16_t port = 80;
};

// False (and `out` untouched) for an empty host, a host with blanks, slashes
// or control bytes, and a port that is not 1 to 65535 in plain digits.
bool ParseServerAddress(std::string_view text, ServerAddress& out);

// The address the connection check is asked about: "http://" (unless the host
// already has it), the host, ":port" unless it is 80, then the path.
std::string CheckUrl(const ServerAddress& address, std::string_view path);

// A status the server sends with a reply worth reading.
inline bool IsSuccessStatus(uint32_t status) { return status >= 200 && status <= 299; }

// The reply body, gathered block by block. Only the bytes each read really
// returned are kept, and a reply above the cap is refused as a whole rather
// than kept in part.
class ReplyBody {
 public:
  static constexpr size_t kMaxBytes = 1u << 20;

  // False once the body would pass the cap; it is then emptied and stays refused.
  bool Append(const char* data, size_t size);
  bool Refused() const { return refused_; }
  // The reply as text: it ends at its first NUL byte.
  std::string Text() const;

 private:
  std::string bytes_;
  bool refused_ = false;
};

}  // namespace http
