#include "support/log/logger.h"

#include <cstdio>
#include <memory>

#include "support/localtime.h"

Logger* g_logger = nullptr;

namespace {

// Text mode, so that every "\n" reaches the file as CR LF on Windows; the C
// runtime opens with sharing deny-none.
std::FILE* OpenForAppend(const std::string& path) { return std::fopen(path.c_str(), "a"); }

// asctime's layout, but always with a two-digit day and without the newline.
std::string DateText(int64_t now) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm tm{};
  if (!ToLocalTime(now, tm)) return "??? ??? 00 00:00:00 0000";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %02d %02d:%02d:%02d %04d", kDays[tm.tm_wday % 7],
                kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                tm.tm_year + 1900);
  return buf;
}

const char* LevelTag(uint32_t level) {
  switch (level) {
    case 1: return "> ";
    case 2: return "< ";
    case 4: return "F ";
    case 16: return "D ";
    case 18: return "I ";
    case 20: return "W ";
    case 24: return "E ";
    case 32: return "! ";
    case 0xFFFFFFFFu: return "A ";
    default: return "  ";
  }
}

const char* BaseName(const std::string& path) {
  const auto cut = path.find_last_of('\\');
  return path.c_str() + (cut == std::string::npos ? 0 : cut + 1);
}

}  // namespace

Logger::Logger(const std::string& path, LogVariant variant)
    : logPath(path), variant_(variant), clock_(&NowSeconds) {
  BeginLog();
}

Logger::~Logger() { EndLog(); }

void Logger::FileCloser::operator()(std::FILE* f) const { std::fclose(f); }

std::FILE* Logger::Open(File& scratch) {
  if (variant_ != LogVariant::Plugin) {
    scratch.reset(OpenForAppend(logPath));
    return scratch.get();
  }
  if (!kept_) kept_.reset(OpenForAppend(logPath));
  return kept_.get();
}

void Logger::Put(std::FILE* f, const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  // Each line reaches the file before the write returns: a crash keeps it.
  const bool flushed = std::fflush(f) == 0;
  if ((!written || !flushed) && f == kept_.get()) kept_.reset();
}

std::unique_lock<std::recursive_mutex> Logger::Guard() {
  if (variant_ == LogVariant::Plugin) return std::unique_lock<std::recursive_mutex>(lock_);
  return std::unique_lock<std::recursive_mutex>(lock_, std::defer_lock);
}

int Logger::DashCount(bool footer) const {
  const int base = variant_ == LogVariant::Program ? 46 : 38;
  return footer ? base + 1 : base;
}

void Logger::BeginLog() {
  auto guard = Guard();
  if (begun) return;
  begun = true;
  const std::string date = DateText(clock_());
  if (variant_ == LogVariant::Program) std::remove(logPath.c_str());
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  const std::string dashes(DashCount(false), '-');
  Put(f, dashes + " Log begins on " + date + " " + dashes + "\n");
}

void Logger::EndLog() {
  auto guard = Guard();
  if (!begun) return;
  File scratch;
  if (std::FILE* f = Open(scratch)) {
    const std::string dashes(DashCount(true), '-');
    Put(f, dashes + " Log ends on " + DateText(clock_()) + " " + dashes + "\n\n\n\n\n");
  }
  // Closed with the footer, so that the file can be deleted or moved until
  // the next header.
  kept_.reset();
  begun = false;
}

void Logger::BuildPrefix(uint32_t level) {
  prefix_ = LevelTag(level);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%12s[%04d]", BaseName(sourceFile), sourceLine);
  prefix_ += buf;
  std::tm tm{};
  if (!ToLocalTime(clock_(), tm)) tm = std::tm{};
  std::snprintf(buf, sizeof buf, "%02d/%02d %02d:%02d:%02d ", tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                tm.tm_min, tm.tm_sec);
  prefix_ += buf;
  for (int32_t i = 0; i < indent; ++i) {
    const bool bar = indentStep > 0 && i >= 1 && (i - 1) % indentStep == 0;
    prefix_ += bar ? '|' : ' ';
  }
}

const std::string& Logger::LinePrefix(uint32_t level) {
  BuildPrefix(level);
  return prefix_;
}

void Logger::Write(const std::string& message, uint32_t level) {
  auto guard = Guard();
  if ((level & levelMask) == 0) return;
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  Put(f, LinePrefix(level) + message + "\n");
}

void Logger::WriteRaw(const std::string& message) {
  auto guard = Guard();
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  Put(f, message);
}

void Logger::WriteHex(const uint8_t* data, uint32_t length, uint32_t level) {
  auto guard = Guard();
  if (data == nullptr || (level & levelMask) == 0) return;
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  static const char kHex[] = "0123456789ABCDEF";
  for (uint32_t start = 0; start < length; start += 20) {
    std::string line;
    for (int k = 0; k < 20; ++k) line += "-- ";
    line += std::string(20, '.');
    for (uint32_t k = 0; k < 20 && start + k < length; ++k) {
      const uint8_t byte = data[start + k];
      line[3 * k] = kHex[byte >> 4];
      line[3 * k + 1] = kHex[byte & 15];
      line[60 + k] = (byte >= 0x20 && byte <= 0x7F) ? static_cast<char>(byte) : '.';
    }
    Put(f, LinePrefix(level) + line + "\n");
  }
}

void Logger::EnterScope(const std::string& message, uint32_t level) {
  auto guard = Guard();
  if ((level & levelMask) == 0) return;
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  Put(f, LinePrefix(level) + " +- " + message + "\n");
  indent += indentStep;
}

void Logger::ExitScope(const std::string& message, uint32_t level) {
  auto guard = Guard();
  if ((level & levelMask) == 0) return;
  indent -= indentStep;
  if (indent < 0) indent = 0;
  File scratch;
  std::FILE* f = Open(scratch);
  if (!f) return;
  Put(f, LinePrefix(level) + " +- " + message + "\n");
}

void Logger::WriteAt(const char* file, int line, const std::string& message, uint32_t level) {
  auto guard = Guard();
  sourceFile = file;
  sourceLine = line;
  Write(message, level);
}

void Logger::EnterScopeAt(const char* file, int line, const std::string& message, uint32_t level) {
  auto guard = Guard();
  sourceFile = file;
  sourceLine = line;
  EnterScope(message, level);
}

void Logger::ExitScopeAt(const char* file, int line, const std::string& message, uint32_t level) {
  auto guard = Guard();
  sourceFile = file;
  sourceLine = line;
  ExitScope(message, level);
}

void Logger::WriteHexAt(const char* file, int line, const uint8_t* data, uint32_t length,
                        uint32_t level) {
  auto guard = Guard();
  sourceFile = file;
  sourceLine = line;
  WriteHex(data, length, level);
}

FunctionTrace::FunctionTrace(Logger& logger, const char* file, int line, const std::string& name)
    : logger_(logger), file_(file), line_(line), name_(name) {
  logger_.EnterScopeAt(file_, line_, "Enter function: " + name_, kLogTrace);
}

FunctionTrace::~FunctionTrace() {
  logger_.ExitScopeAt(file_, line_, "Exit function: " + name_, kLogTrace);
}
