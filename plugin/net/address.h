#pragma once
// Rules about web addresses that hold before any connection is made.
#include <string>
#include <string_view>

namespace net {

enum class Scheme { Http, Https, Other };

// Http or Https for an address that starts with that scheme (any case) and
// holds no control character or blank, which WinInet would pass on to the
// server as they are; Other for everything else.
Scheme SchemeOf(std::string_view address);

// The file name of a requested object: the text after its last slash or
// backslash (query included); the whole path when it has neither.
std::string FileNameFromPath(std::string_view objectPath);

}  // namespace net
