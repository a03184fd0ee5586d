#include "support/tests/wine_host_win.h"

#include <windows.h>

#include "support/win/unique_handle_win.h"

namespace wine_host {

std::string HostPath(const std::string& dos) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return {};
  std::wstring wide(dos.begin(), dos.end());
  char* name = unixName(wide.c_str());
  std::string result = name ? name : "";
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool RunHost(const char* program, std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  const UniqueHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), 10000);
  return true;
}

bool StartHostLink(const std::string& link, const std::string& target) {
  const size_t slash = link.rfind('\\');
  const std::string hostTarget = HostPath(target), hostParent = HostPath(link.substr(0, slash));
  if (hostTarget.empty() || hostParent.empty()) return false;
  return RunHost("Z:\\bin\\ln", "ln -s \"" + hostTarget + "\" \"" + hostParent + "/" + link.substr(slash + 1) + "\"");
}

bool RemoveHostLink(const std::string& link) {
  const std::string host = HostPath(link);
  if (host.empty()) return false;
  return RunHost("Z:\\bin\\rm", "rm -f \"" + host + "\"");
}

}  // namespace wine_host
