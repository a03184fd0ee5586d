// Server bytes in arbitrary blocks, and an address from the registry.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/http/http_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  http::ServerAddress address;
  if (http::ParseServerAddress(text.substr(0, 300), address)) (void)http::CheckUrl(address, "/Update/Update.php");
  http::ReplyBody body;
  size_t at = 0;
  while (at < size) {
    const size_t block = 1 + data[at] % 97;
    const size_t take = block < size - at ? block : size - at;
    body.Append(text.data() + at, take);
    at += take;
  }
  (void)body.Text();
  return 0;
}
