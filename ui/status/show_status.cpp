#include "ui/status/show_status.h"

#include "support/log/log.h"

namespace {
StatusSink* currentSink = nullptr;
}

void SetStatusSink(StatusSink* sink) { currentSink = sink; }

StatusSink* CurrentStatusSink() { return currentSink; }

void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) {
  // What the user was told is worth having in the log when something goes wrong.
  SF_LOG(kLogInfo, "Status: " + text);
  if (currentSink) currentSink->ShowStatus(text, force, durationMs, clickMessage);
}
