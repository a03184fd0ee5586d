#include "plugin/tests/fault_report_win.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kFaultExitCode = 70;
constexpr int kMostFrames = 24;

// "Fetchpix.dll+0x1a2b3": addr2line -e Fetchpix.dll takes the image base plus
// the offset.
void PrintPlace(const char* label, DWORD64 address) {
  HMODULE module = nullptr;
  char name[MAX_PATH] = "?";
  DWORD64 offset = address;
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<const char*>(address), &module) &&
      module) {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(module, path, MAX_PATH)) {
      const char* base = path;
      for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
      std::snprintf(name, sizeof name, "%s", base);
    }
    offset = address - reinterpret_cast<DWORD64>(module);
  }
  std::fprintf(stderr, "  %s %s+0x%llx\n", label, name, static_cast<unsigned long long>(offset));
}

bool Readable(DWORD64 address) {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info)) return false;
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE;
  return info.State == MEM_COMMIT && (info.Protect & kReadable) && !(info.Protect & PAGE_GUARD);
}

LONG WINAPI Report(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  std::fprintf(stderr, "FAULT: exception 0x%08lx in thread %04lx", record->ExceptionCode, GetCurrentThreadId());
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2)
    std::fprintf(stderr, " (%s at 0x%llx)", record->ExceptionInformation[0] == 0 ? "read" : "write",
                 static_cast<unsigned long long>(record->ExceptionInformation[1]));
  std::fprintf(stderr, "\n");
  // Walk the faulting thread's stack from its saved context.
  CONTEXT context = *info->ContextRecord;
  for (int frame = 0; frame < kMostFrames && context.Rip; ++frame) {
    PrintPlace(frame == 0 ? "at" : "by", context.Rip);
    DWORD64 imageBase = 0;
    RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
    if (!function) {
      // A leaf function: the return address is on top of the stack, if the
      // stack pointer is sound at all (a fault inside the filter would hide
      // the first one).
      if (!Readable(context.Rsp)) break;
      context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
      context.Rsp += 8;
      continue;
    }
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisher,
                     nullptr);
  }
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), kFaultExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallFaultReport() { SetUnhandledExceptionFilter(&Report); }
