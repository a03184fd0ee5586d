#include "support/tests/stand_in_server_win.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "support/tests/wine_host_win.h"
#include "support/win/unique_handle_win.h"
#include "support/win/unique_internet_win.h"

StandInServer::StandInServer(const std::string& script, int lifetimeSeconds) {
  std::random_device rd;
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("sf-stand-in-" + std::to_string(rd()) + ".port");
  portFile_ = file.string();
  const std::string hostFile = wine_host::HostPath(portFile_);
  if (hostFile.empty()) return;
  std::string command = "python3 \"" + script + "\" --port-file \"" + hostFile + "\" --lifetime " +
                        std::to_string(lifetimeSeconds);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA("Z:\\usr\\bin\\python3", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return;
  process_.reset(info.hProcess);
  const UniqueHandle thread(info.hThread);
  // The file appears whole (the server renames it into place).
  for (int i = 0; i < 150 && port_ == 0; ++i) {
    std::ifstream in(portFile_);
    if (!(in >> port_)) port_ = 0;
    if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

StandInServer::~StandInServer() {
  if (port_) Get("/quit");
  if (process_) WaitForSingleObject(process_.get(), 5000);
  std::error_code ignored;
  std::filesystem::remove(portFile_, ignored);
}

std::string StandInServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

std::string StandInServer::Url(const std::string& path) const { return "http://" + Address() + path; }

std::string StandInServer::Get(const std::string& path) const {
  const UniqueInternet session(InternetOpenA("stand-in control", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return {};
  DWORD timeout = 5000;
  const UniqueInternet request(InternetOpenUrlA(session.get(), Url(path).c_str(), nullptr, 0,
                                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0));
  if (!request) return {};
  InternetSetOptionA(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  std::string body;
  char block[4096];
  DWORD got = 0;
  while (InternetReadFile(request.get(), block, sizeof block, &got) && got > 0) body.append(block, got);
  return body;
}

void SetWinInetProxy(const std::string& server) {
  HKEY raw = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, nullptr,
                  0, KEY_SET_VALUE, nullptr, &raw, nullptr);
  const UniqueRegKey key(raw);
  const DWORD enable = server.empty() ? 0 : 1;
  RegSetValueExA(key.get(), "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
  RegSetValueExA(key.get(), "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                 static_cast<DWORD>(server.size() + 1));
}
