// Header values and addresses come from any server or result page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plugin/net/address.h"
#include "plugin/net/body_limits.h"
#include "plugin/net/content_type.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  net::Classify(text);
  net::SchemeOf(text);
  net::FileNameFromPath(text);
  // The announced length drives a reservation: it must stay within the cap.
  net::BodyCollector body(1 << 16, net::ParseContentLength(text));
  if (body.status() == net::BodyStatus::Reading) body.Add(data, size);
  return 0;
}
