#pragma once
// HTTP statuses and WinInet error numbers as the plug-in's status codes.
#include <cstdint>

namespace net {

// SUCCESS for 200, URLUNAVAILABLE for 404, SERVERBUSY for 503, else 0.
uint32_t MapHttpStatus(uint32_t status);

// A WinInet (or Win32) error number after a failed call; 0 when it has no
// meaning of its own.
uint32_t MapInternetError(uint32_t error);

}  // namespace net
