#pragma once
// Plain-text diagnostic log. Every line is flushed to the file as it is
// written, so the log survives a crash up to its last line and others can
// read it any time. The program's variant opens and closes the file for each
// write; the plug-in's, which logs several lines for every image step, keeps
// it open (shared for reading and writing) from the header to the footer.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

enum LogLevel : uint32_t {
  kLogIn = 1,
  kLogOut = 2,
  kLogTrace = 4,
  kLogDebug = 16,
  kLogInfo = 18,
  kLogWarning = 20,
  kLogError = 24,
  kLogFatal = 32,
  kLogAll = 0xFFFFFFFFu,
};

// The program's log and the plug-in's differ in their dash runs, in whether the
// old file is deleted at the start, and in the lock (the plug-in logs from many threads).
enum class LogVariant { Program, Plugin };

class Logger {
 public:
  Logger(const std::string& logPath, LogVariant variant = LogVariant::Program);
  virtual ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  virtual void BeginLog();
  virtual void EndLog();
  virtual void Write(const std::string& message, uint32_t level);
  virtual void WriteRaw(const std::string& message);
  virtual void WriteHex(const uint8_t* data, uint32_t length, uint32_t level);
  virtual void EnterScope(const std::string& message, uint32_t level);
  virtual void ExitScope(const std::string& message, uint32_t level);
  // Valid until the next call on this logger.
  virtual const std::string& LinePrefix(uint32_t level);

  // Sets the source position and writes as one step, so that a line never
  // carries another thread's position.
  void WriteAt(const char* file, int line, const std::string& message, uint32_t level);
  void EnterScopeAt(const char* file, int line, const std::string& message, uint32_t level);
  void ExitScopeAt(const char* file, int line, const std::string& message, uint32_t level);
  void WriteHexAt(const char* file, int line, const uint8_t* data, uint32_t length, uint32_t level);

  const std::string& Path() const { return logPath; }
  int32_t Indent() const { return indent; }
  bool Begun() const { return begun; }

  // Seam for tests: the clock used for dates and prefixes (seconds since 1970).
  using Clock = int64_t (*)();
  void SetClock(Clock clock) { clock_ = clock; }

  std::string sourceFile;
  int32_t sourceLine = 0;

 private:
  std::string logPath;
  int32_t indent = 0;
  int32_t indentStep = 4;
  uint32_t levelMask = 0xFFFFFFFFu;
  bool begun = false;
  LogVariant variant_;
  std::string prefix_;
  Clock clock_;
  std::recursive_mutex lock_;  // taken only by the plug-in variant

  struct FileCloser {
    void operator()(std::FILE* f) const;
  };
  using File = std::unique_ptr<std::FILE, FileCloser>;
  File kept_;  // the plug-in's open log file; null between writes otherwise

  std::unique_lock<std::recursive_mutex> Guard();
  // The file to append to: the kept one, or one opened for this write (null
  // when it cannot be opened). `scratch` owns a file opened for one write.
  std::FILE* Open(File& scratch);
  // Appends and flushes; a kept file that failed is dropped so that the next
  // write opens the file again.
  void Put(std::FILE* f, const std::string& text);
  void BuildPrefix(uint32_t level);
  int DashCount(bool footer) const;
};

// The deliverable's one logger; null while logging is off.
extern Logger* g_logger;

// Traces entry to and exit from a function. The caller must have a logger.
class FunctionTrace {
 public:
  FunctionTrace(Logger& logger, const char* file, int line, const std::string& name);
  ~FunctionTrace();
  FunctionTrace(const FunctionTrace&) = delete;
  FunctionTrace& operator=(const FunctionTrace&) = delete;

 private:
  Logger& logger_;
  const char* file_;
  int line_;
  std::string name_;
};
