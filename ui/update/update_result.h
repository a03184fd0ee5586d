#pragma once
// The portable rules of the update check: the form it posts, what the user is
// told for each kind of reply, and which links may be opened.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace update {

inline constexpr const char* kUpdatePath = "/Update/Update.php";
inline constexpr const char* kProductName = "Skyframe";
inline constexpr const char* kProductVersion = "PC 1.01";
inline constexpr const char* kFailurePrefix = "Unable to query the internet for an update. Code: ";
inline constexpr const char* kUpdateFoundText =
    "An update was found!  Please click the link below to visit the download page.";
// Longer links are not opened: no download page needs one.
inline constexpr size_t kMaxLinkBytes = 2048;

// The form body; the values go in as they stand, as the server expects them.
std::string RequestBody(std::string_view productName, std::string_view productVersion, int beta);

// One element of the reply's second level.
struct Element {
  std::string name;
  std::string value;
};

struct Result {
  bool failed = false;  // the exchange itself failed
  bool updateFound = false;
  std::string message;
  std::string link;
};

// The exchange failed; `code` is the system error, or the HTTP status when
// the server answered with something other than 2xx.
Result FailedResult(uint32_t code);
// A reply arrived: `empty` when it had no text, otherwise the elements of
// its second level, in order (names compared without regard to case, the
// last of each wins).
Result ReadResult(bool empty, const std::vector<Element>& inner);

// Only plain web addresses are handed to the shell: anything else in a
// forged reply (a local program, a network path, another scheme) could make
// the shell start something.
bool IsOpenableLink(std::string_view link);

}  // namespace update
