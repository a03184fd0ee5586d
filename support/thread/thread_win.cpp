#include "support/thread/thread_win.h"

#include <algorithm>
#include <memory>

namespace {
// Which object and which start the current thread runs for (null on threads
// that are no cThread's worker).
thread_local const cThread* tlsOwner = nullptr;
thread_local uint64_t tlsGeneration = 0;
}  // namespace

struct cThread::StartBlock {
  cThread* self;
  uint64_t generation;
};

cThread::~cThread() {
  Stop();
  // A worker whose Stop timed out may still touch this object.
  for (UniqueHandle& h : abandoned) WaitForSingleObject(h.get(), INFINITE);
}

DWORD WINAPI cThread::Entry(void* param) {
  std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(param));
  tlsOwner = block->self;
  tlsGeneration = block->generation;
  return block->self->Run();
}

bool cThread::IsRunning() const {
  if (tlsOwner == this && tlsGeneration != generation.load()) return false;
  return running.load();
}

HANDLE cThread::Start() {
  if (thread) Stop();
  // Finished leftovers need no joining any more.
  std::erase_if(abandoned, [](const UniqueHandle& h) { return WaitForSingleObject(h.get(), 0) == WAIT_OBJECT_0; });
  const uint64_t gen = generation.fetch_add(1) + 1;
  // Set before the thread exists: without CREATE_SUSPENDED it may look at once.
  running.store(true);
  auto block = std::make_unique<StartBlock>(StartBlock{this, gen});
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, &cThread::Entry, block.get(), creationFlags, &id);
  if (!h) {
    running.store(false);
    return nullptr;
  }
  block.release();  // the thread owns it now
  thread.reset(h);
  threadId = id;
  return h;
}

void cThread::Stop() {
  if (!thread) return;
  running.store(false);
  if (GetCurrentThreadId() == threadId) return;
  // A thread still suspended would never end: let it run. Its Run then sees
  // the stop request at once.
  ResumeThread(thread.get());
  if (WaitForSingleObject(thread.get(), stopTimeout) == WAIT_TIMEOUT) {
    // Orphan it for this start: it reads IsRunning() false from now on.
    generation.fetch_add(1);
    abandoned.push_back(std::move(thread));
  }
  thread.reset();
  threadId = 0;
}

bool cThread::ResumeWithPriority(int priority) {
  if (!thread) return false;
  const bool prioritySet = SetThreadPriority(thread.get(), priority) != 0;
  return ResumeThread(thread.get()) != static_cast<DWORD>(-1) && prioritySet;
}
