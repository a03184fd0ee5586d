#pragma once
// Starts backend_stand_in.py on the host (through Wine) for one test program
// and stops it when the owner goes.
#include <string>

#include "support/win/unique_handle_win.h"

class BackendStandIn {
 public:
  // `script` is a host path. port() is 0 when the server did not come up.
  explicit BackendStandIn(const std::string& script, int lifetimeSeconds = 200);
  ~BackendStandIn();
  BackendStandIn(const BackendStandIn&) = delete;
  BackendStandIn& operator=(const BackendStandIn&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:PORT", as the back-end address setting holds it.
  std::string Address() const;
  // A GET on a control route; the body, or empty when it failed.
  std::string Get(const std::string& path) const;

 private:
  UniqueHandle process_;
  std::string portFile_;
  int port_ = 0;
};
