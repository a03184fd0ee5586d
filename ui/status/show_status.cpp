#include "ui/status/show_status.h"

namespace {
StatusSink* currentSink = nullptr;
}

void SetStatusSink(StatusSink* sink) { currentSink = sink; }

StatusSink* CurrentStatusSink() { return currentSink; }

void ShowStatus(const std::string& text, bool force, int32_t durationMs, uint32_t clickMessage) {
  if (currentSink) currentSink->ShowStatus(text, force, durationMs, clickMessage);
}
