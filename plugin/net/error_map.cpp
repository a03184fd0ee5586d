#include "plugin/net/error_map.h"

#include "plugin/include/fetchpix.h"

namespace net {

uint32_t MapHttpStatus(uint32_t status) {
  switch (status) {
    case 200: return SUCCESS;
    case 404: return URLUNAVAILABLE;
    case 503: return SERVERBUSY;
    default: return 0;
  }
}

uint32_t MapInternetError(uint32_t error) {
  switch (error) {
    case 12002:  // ERROR_INTERNET_TIMEOUT
    case 12030:  // ERROR_INTERNET_CONNECTION_ABORTED: what Wine reports when a time-out passes
    case 12029:  // ERROR_INTERNET_CANNOT_CONNECT
      return CONNECTIONREFUSED;
    case 12007:  // ERROR_INTERNET_NAME_NOT_RESOLVED
      return URLNOTRESOLVED;
    case 12012:  // ERROR_INTERNET_SHUTDOWN
    case 12159:  // ERROR_INTERNET_TCPIP_NOT_INSTALLED
    case 12163:  // ERROR_INTERNET_DISCONNECTED
      return NOCONNECTION;
    default: return 0;
  }
}

}  // namespace net
