#pragma once
// The plug-in's one core object: archive, options, live search records, the
// engine table and the control thread that carries out, one at a time and in
// arrival order, the commands the exports queue.
//
// Lock order, for the whole plug-in: the handle-list lock, then the queue
// lock, then a search's command lock, then its image lock, then its container
// lock, then the cache lock, then the condemned list's lock, then the
// archive's lock, then the probe lock, under which only the probe session's
// own locks are taken (to abort it). Leaves (nothing is taken under them): a
// search's state lock, the recently-failed list's lock, the option values'
// lock and the logger's. A thread holding one of these takes only locks later in the
// list. Nothing is posted, no thread is waited for and no network I/O runs
// while the handle-list lock is held; search threads never take it (they
// notify through their own record).
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "plugin/archive/archive.h"
#include "plugin/archive/condemned_list.h"
#include "plugin/archive/plugin_folders_win.h"
#include "plugin/archive/recently_failed_list.h"
#include "plugin/cache/image_cache.h"
#include "plugin/core/command_queues.h"
#include "plugin/core/engine_table.h"
#include "plugin/core/search_factory.h"
#include "plugin/core/search_options.h"
#include "plugin/core/search_records.h"
#include "plugin/include/fetchpix.h"
#include "support/log/logger.h"
#include "support/thread/monitor_win.h"
#include "support/thread/thread_win.h"
#include "support/win/unique_handle_win.h"

namespace net {
class NetSession;
}

class SearchLink {
 public:
  // The factory outlives the object.
  explicit SearchLink(const SearchFactory& factory);
  ~SearchLink();
  SearchLink(const SearchLink&) = delete;
  SearchLink& operator=(const SearchLink&) = delete;

  // Folders, archive, log, engines, control thread. OUTOFMEMORY when the
  // control thread could not be started.
  uint32_t Initialise(const char* dataFolder, uint8_t reserved);
  // Stops every search and the control thread, then writes the archive.
  void Shutdown();

  SearchOptions& Options() { return options_; }
  const EngineTable& Engines() const { return engines_; }
  Archive* GetArchive() { return archiveOpen_ ? &archive_ : nullptr; }
  ArchiveNode* UserNode() const { return folders_.userNode; }
  RecentlyFailedList& RecentlyFailed() { return recentlyFailed_; }
  CondemnedList& Condemned() { return condemned_; }
  ImageCache& Cache() { return cache_; }

  // The exports' halves that touch search records.
  uint32_t StartSearch(const char* text, uint8_t engineId, SearchHandle* out);
  uint32_t StopSearch(SearchHandle handle);
  uint32_t CheckSearch(SearchHandle handle);
  uint32_t FetchSearch(SearchHandle handle, ImageData** out);
  uint32_t QueueImage(SearchHandle handle, bool next);
  uint32_t ClearSpecificHistoryCache(const char* text);
  uint32_t CondemnImage(SearchHandle handle);
  uint32_t IsCritical(SearchHandle handle, uint8_t* critical);
  void Queue(ControlEntry entry);

  // Posts (window, message, record, code) when notifications are on. Takes
  // no lock but the options' own.
  void Notify(const CurrentSearch* record, uint32_t code);

 private:
  class ControlThread : public cThread {
   public:
    explicit ControlThread(SearchLink& link) : link_(link) {}
    ~ControlThread() override { Stop(); }
    bool Begin();

   private:
    uint32_t Run() override;
    SearchLink& link_;
  };

  // Control thread: the loop and its commands.
  void ControlLoop();
  void Carry(ControlEntry& entry);
  void StartCommand(CurrentSearch* record, uint32_t id);
  void ImageChangeCommand(CurrentSearch* record, uint32_t id, bool next);
  void StopCommand(CurrentSearch* record, uint32_t id);
  void ClearHistoryCommand(const std::optional<std::string>& text);
  void ClearCacheCommand();
  void TrimCacheCommand();
  // The cache entries of live single-image searches stay: their texts.
  ImageCache::Keep LiveSingleImages();
  void QuitCommand();
  // Probe of a web address for the record `id`, outside every lock;
  // abortable by Shutdown and by a stop asked for that record.
  uint32_t ProbeAddress(uint32_t id, const std::string& address, std::string& type);
  // A stop for the record `id` is queued (called before the queueing, under
  // the handle-list lock): a probe for it, now or later, ends at once.
  void AskStop(uint32_t id);
  // Outside the handle-list lock: aborts the running probe if it is for `id`.
  void AbortProbeOf(uint32_t id);
  void Fail(CurrentSearch* record, uint32_t id, uint32_t code);

  const SearchFactory& factory_;
  Archive archive_;
  bool archiveOpen_ = false;
  PluginFolders folders_;
  SearchOptions options_;
  SearchRecordList records_;  // under handleLock_
  RecentlyFailedList recentlyFailed_;
  CondemnedList condemned_;
  ImageCache cache_;  // its own lock guards its files, entries and counters
  ControlQueue queue_;  // under queueLock_
  UniqueHandle commandEvent_;
  cMonitor queueLock_;
  cMonitor handleLock_;
  EngineTable engines_;
  uint8_t reserved_ = 0;
  std::unique_ptr<ControlThread> control_;
  std::unique_ptr<Logger> logger_;

  // Raised by Shutdown: a probe running on the control thread ends at once.
  std::atomic<bool> quitting_{false};
  // Guards the three below. A stop waits behind the probe on the control
  // thread, so the probe must end as soon as the stop is asked for.
  std::mutex probeLock_;
  net::NetSession* probe_ = nullptr;
  uint32_t probeId_ = 0;
  // Records with a stop queued and not yet carried out.
  std::set<uint32_t> stopsAsked_;
};
