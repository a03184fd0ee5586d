#pragma once
// Starts a Python stand-in server (an HTTP, engine or back-end stand-in) on
// the host (through Wine) for one test program, and stops it when the owner
// goes. Every such script takes --port-file and --lifetime.
#include <string>

#include "support/win/unique_handle_win.h"

class StandInServer {
 public:
  // `script` is a host path. Empty port() when the server did not come up.
  explicit StandInServer(const std::string& script, int lifetimeSeconds = 150);
  ~StandInServer();
  StandInServer(const StandInServer&) = delete;
  StandInServer& operator=(const StandInServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:PORT": a proxy setting or a back-end address.
  std::string Address() const;
  // "http://127.0.0.1:PORT" + path.
  std::string Url(const std::string& path) const;
  // The body of a GET, or empty when it failed (for the server's own counters).
  std::string Get(const std::string& path) const;

 private:
  UniqueHandle process_;
  std::string portFile_;
  int port_ = 0;
};

// Points WinInet's proxy (the prefix's settings, read at every InternetOpen
// with the preconfigured type) at `server`; empty switches the proxy off.
void SetWinInetProxy(const std::string& server);
