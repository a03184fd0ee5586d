// Times the wallpaper path (decode, fit to the screen, write the bitmap) and
// the scaler alone, with peak memory. Not a test: it prints figures.
//
//   image_bench suite DIR [CHILDREN]   every case over DIR's inputs, medians over CHILDREN processes
//   image_bench run FILE W H OUT N     one process: N passes over FILE (used by suite)
//   image_bench resample N             the scaler alone, 6000x4000 -> 1620x1080
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/win/unique_handle_win.h"
#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/fit.h"
#include "wallpaper/image/resampler.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m;
}

constexpr double kMB = 1024.0 * 1024.0;

// User plus kernel time of this process so far: on a busy machine a steadier
// measure than the wall clock.
double CpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& f) { return ((uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

// One process: idle memory first, then N passes; prints one line of figures.
int RunCase(const char* file, int sw, int sh, const char* out, int passes) {
  const PROCESS_MEMORY_COUNTERS idle = Memory();
  std::vector<double> times, cpu;
  int width = 0, height = 0;
  for (int i = 0; i < passes; ++i) {
    const double cpu_start = CpuMs();
    const auto start = Clock::now();
    BTCImageObject image;
    if (image.Load(file, nullptr, nullptr, 2) < 0) return std::printf("load failed\n"), 1;
    const auto loaded = Clock::now();
    BTCImageData* data = image.GetObjectDataPtr();
    width = data->GetWidth(), height = data->GetHeight();
    const image::FitSize fit = image::FitToScreen(sw, sh, width, height);
    BTResizeFilter filter = BTResizeFilterSmooth;
    if (!data->Resize(fit.width, fit.height, filter)) return std::printf("resize failed\n"), 1;
    const auto resized = Clock::now();
    if (image.Save(out, BTCImageObject::GetCodecIdFromExtension("bmp", BTCodecTypeEncoder)) != 0)
      return std::printf("save failed\n"), 1;
    data->DeleteObject();
    times.push_back(Ms(Clock::now() - start));
    cpu.push_back(CpuMs() - cpu_start);
    // The split goes to stderr, for finding where the time goes.
    std::fprintf(stderr, "load %.1f ms, scale %.1f ms, save %.1f ms\n", Ms(loaded - start), Ms(resized - loaded),
                 Ms(Clock::now() - resized));
  }
  const PROCESS_MEMORY_COUNTERS end = Memory();
  std::printf("%d %d %.1f %.1f %.1f %.1f %.1f\n", width, height, times.front(), Median({times.begin() + 1, times.end()}),
              Median({cpu.begin() + 1, cpu.end()}), (end.PeakWorkingSetSize - idle.WorkingSetSize) / kMB, (end.PeakPagefileUsage - idle.PagefileUsage) / kMB);
  return 0;
}

// A photograph-like test picture: smooth gradients with fine detail on top.
image::Pixmap SyntheticPhoto(int w, int h) {
  image::Pixmap p;
  p.Allocate(w, h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.row(y);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525 + 1013904223;
      const int n = static_cast<int>(seed >> 28) - 8;
      row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / w + n, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / h + n, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp(((x + y) & 255) + n, 0, 255));
    }
  }
  return p;
}

int RunResample(int passes) {
  const image::Pixmap src = SyntheticPhoto(6000, 4000);
  image::Resampler resampler;
  image::Pixmap out;
  std::vector<double> times;
  for (int i = 0; i < passes; ++i) {
    image::PixmapRowSource rows(src);
    const auto start = Clock::now();
    if (!resampler.Resize(rows, 1620, 1080, out)) return std::printf("resize failed\n"), 1;
    times.push_back(Ms(Clock::now() - start));
  }
  std::printf("resampler 6000x4000 -> 1620x1080: first %.1f ms, median of the rest %.1f ms (%d runs)\n", times.front(),
              Median({times.begin() + 1, times.end()}), passes);
  return 0;
}

// Runs this program with `args` and returns what it printed.
std::string RunChild(const std::string& args) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  UniqueHandle read, write;
  if (!CreatePipe(read.put(), write.put(), &sa, 0)) return {};
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write.get();
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + std::string(self) + "\" " + args;
  std::string output;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    const UniqueHandle thread(pi.hThread), process(pi.hProcess);
    // Our copy of the write end goes, so the read ends when the child exits.
    write.reset();
    char buf[512];
    DWORD got = 0;
    while (ReadFile(read.get(), buf, sizeof buf, &got, nullptr) && got) output.append(buf, got);
    WaitForSingleObject(process.get(), INFINITE);
  }
  return output;
}

int RunSuite(const std::string& dir, int children) {
  struct Input {
    const char* file;
    const char* label;
  };
  const Input inputs[] = {{"photo.jpg", "6000x4000 baseline JPEG"},
                          {"photo_progressive.jpg", "6000x4000 progressive JPEG"},
                          {"photo.png", "6000x4000 24-bit PNG"},
                          {"photo.gif", "1600x1200 palettised GIF"}};
  const int screens[][2] = {{1920, 1080}, {1280, 1024}};
  std::printf("decode + fit + write bitmap; medians over %d processes of 3 passes each (warm: passes 2-3)\n",
              children);
  std::printf("%-28s %-10s %10s %10s %10s %12s %12s\n", "input", "screen", "cold ms", "warm ms", "warm cpu",
              "peak WS MB", "peak PF MB");
  const std::string out = dir + "\\bench_out.bmp";
  for (const Input& in : inputs) {
    for (const auto& s : screens) {
      std::vector<double> cold, warm, cpu, ws, pf;
      int w = 0, h = 0;
      for (int c = 0; c < children; ++c) {
        const std::string args = "run \"" + dir + "\\" + in.file + "\" " + std::to_string(s[0]) + " " +
                                 std::to_string(s[1]) + " \"" + out + "\" 3";
        double a, b, c2, m1, m2;
        if (std::sscanf(RunChild(args).c_str(), "%d %d %lf %lf %lf %lf %lf", &w, &h, &a, &b, &c2, &m1, &m2) != 7) {
          std::printf("%-28s failed\n", in.label);
          break;
        }
        cold.push_back(a), warm.push_back(b), cpu.push_back(c2), ws.push_back(m1), pf.push_back(m2);
      }
      if (cold.empty()) continue;
      char screen[16];
      std::snprintf(screen, sizeof screen, "%dx%d", s[0], s[1]);
      std::printf("%-28s %-10s %10.1f %10.1f %10.1f %12.1f %12.1f\n", in.label, screen, Median(cold), Median(warm),
                  Median(cpu), Median(ws), Median(pf));
    }
  }
  DeleteFileA(out.c_str());
  return RunResample(7);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc == 7) return RunCase(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5], std::atoi(argv[6]));
  if (mode == "resample") return RunResample(argc > 2 ? std::atoi(argv[2]) : 7);
  if (mode == "suite" && argc >= 3) return RunSuite(argv[2], argc > 3 ? std::atoi(argv[3]) : 5);
  std::fprintf(stderr, "usage: image_bench suite DIR [CHILDREN] | run FILE W H OUT N | resample N\n");
  return 2;
}
