#pragma once
// Logging sites: each notes its source file and line, and logs nothing while
// there is no logger.
#include <optional>
#include "support/log/logger.h"

// The build runs on Linux, so __FILE__ carries forward slashes; the log shows
// only the name after the last folder separator.
constexpr const char* SfSourceName(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

#define SF_LOG(level, text)                                                    \
  do {                                                                         \
    if (::Logger* sf_logger_ = ::g_logger) sf_logger_->WriteAt(SfSourceName(__FILE__), __LINE__, (text), (level)); \
  } while (0)

#define SF_LOG_HEX(level, data, length)                                        \
  do {                                                                         \
    if (::Logger* sf_logger_ = ::g_logger)                                     \
      sf_logger_->WriteHexAt(SfSourceName(__FILE__), __LINE__, (data), (length), (level));   \
  } while (0)

#define SF_CONCAT_INNER(a, b) a##b
#define SF_CONCAT(a, b) SF_CONCAT_INNER(a, b)
// Brackets the rest of the enclosing scope with "Enter function:"/"Exit function:" lines.
#define SF_TRACE_FUNCTION(name)                                                \
  std::optional<::FunctionTrace> SF_CONCAT(sf_trace_, __LINE__);               \
  if (::g_logger) SF_CONCAT(sf_trace_, __LINE__).emplace(*::g_logger, SfSourceName(__FILE__), __LINE__, (name))
