// Not a test: how fast next and previous answer once a keyword search holds
// 1,000 results and the images on the way are in the cache. The real DLL
// against the engine stand-in as WinInet's proxy; each figure is the time
// from QueueImage to the image in hand (notification and FetchSearch).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/include/fetchpix.h"
#include "support/tests/stand_in_server_win.h"
#include "support/win/unique_handle_win.h"

namespace {
constexpr UINT kNotify = 0x8009;
using Clock = std::chrono::steady_clock;
HMODULE g_dll;
uint32_t g_code = 0;
bool g_noted = false;

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kNotify) {
    g_code = static_cast<uint32_t>(lp);
    g_noted = true;
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

template <typename T>
T Bind(const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(g_dll, name)));
}

uint32_t Wait() {
  MSG msg;
  g_noted = false;
  const auto end = Clock::now() + std::chrono::seconds(30);
  while (!g_noted && Clock::now() < end) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      continue;
    }
    DispatchMessageA(&msg);
  }
  return g_noted ? g_code : 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
}  // namespace

int main() {
  StandInServer server(ENGINE_STAND_IN_SCRIPT, 300);
  if (!server.port()) return 1;
  server.Get("/setup?count=1000&per_page=1000&size=20000");
  SetWinInetProxy("127.0.0.1:" + std::to_string(server.port()));
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe = path;
  g_dll = LoadLibraryA((exe.substr(0, exe.find_last_of('\\') + 1) + "Fetchpix.dll").c_str());
  if (!g_dll) return 1;
  auto init = Bind<PFN_InitDll>("InitDll");
  auto unload = Bind<PFN_UnloadDll>("UnloadDll");
  auto option = Bind<PFN_SetSearchOption>("SetSearchOption");
  auto start = Bind<PFN_StartSearch>("StartSearch");
  auto queue = Bind<PFN_QueueImage>("QueueImage");
  auto fetch = Bind<PFN_FetchSearch>("FetchSearch");
  auto freeImage = Bind<PFN_FreeImage>("FreeImage");
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "SearchBenchSink";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const std::string folder = (std::filesystem::temp_directory_path() / "sf-search-bench\\").string();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  // InitDll makes its subfolders, not the data folder: without it there is
  // no archive, no disk cache and no log, and every step downloads again.
  std::filesystem::create_directories(folder, ignored);
  init(1, FETCHPIX_INTERFACE_VERSION, folder.c_str());
  option(FETCHPIX_OPTION_NOTIFY, reinterpret_cast<uintptr_t>(window), kNotify);
  SearchHandle h = nullptr;
  start("bench", 1, &h);
  auto step = [&](bool next) {
    const auto t0 = Clock::now();
    queue(h, next ? 1 : 0);
    const uint32_t code = Wait();
    ImageData* image = nullptr;
    if (code == SUCCESS) fetch(h, &image);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    freeImage(&image);
    return code == SUCCESS ? ms : -1.0;
  };
  // The first page brings all 1,000 results; the first 50 images are fetched.
  for (int i = 0; i < 50; ++i) step(true);
  std::vector<double> back, forward;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 40; ++i) back.push_back(step(false));
    for (int i = 0; i < 40; ++i) forward.push_back(step(true));
  }
  unload();
  SetWinInetProxy("");
  std::printf("previous: median %.3f ms, max %.3f ms (%zu steps)\n", Median(back),
              *std::max_element(back.begin(), back.end()), back.size());
  std::printf("next:     median %.3f ms, max %.3f ms (%zu steps)\n", Median(forward),
              *std::max_element(forward.begin(), forward.end()), forward.size());
  return 0;
}
