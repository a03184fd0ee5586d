#include "plugin/core/search_options.h"

#include "plugin/include/fetchpix.h"

void SearchOptions::Reset() {
  minFileSize_ = 0;
  maxFileSize_ = 0;
  minWidth_ = 0;
  minHeight_ = 0;
  maxWidth_ = 0;
  maxHeight_ = 0;
  resultsToKeep_ = 1000;
  groupResults_ = true;
  blockExplicit_ = true;
  cacheBudget_ = 52428800;
  minPixels_ = 0;
  std::lock_guard<std::mutex> hold(notifyLock_);
  notify_ = {};
}

uint32_t SearchOptions::Set(uint32_t id, uintptr_t value, uint32_t value2) {
  const uint32_t low = static_cast<uint32_t>(value);
  // Booleans arrive as a byte widened to 32 bits.
  const bool flag = (low & 0xFF) != 0;
  switch (id) {
    case FETCHPIX_OPTION_FILE_SIZE:
      minFileSize_ = low;
      maxFileSize_ = value2;
      break;
    case FETCHPIX_OPTION_MIN_SIZE:
      minWidth_ = low;
      minHeight_ = value2;
      break;
    case FETCHPIX_OPTION_MAX_SIZE:
      maxWidth_ = low;
      maxHeight_ = value2;
      break;
    case FETCHPIX_OPTION_NOTIFY: {
      std::lock_guard<std::mutex> hold(notifyLock_);
      notify_ = NotifyTarget{value, value2};
      break;
    }
    case FETCHPIX_OPTION_KEEP_RESULTS:
      resultsToKeep_ = low;
      break;
    case FETCHPIX_OPTION_GROUP:
      groupResults_ = flag;
      break;
    case FETCHPIX_OPTION_BLOCK_EXPLICIT:
      blockExplicit_ = flag;
      break;
    case FETCHPIX_OPTION_CACHE_BUDGET:
      cacheBudget_ = low;
      break;
    case FETCHPIX_OPTION_MIN_PIXELS:
      minPixels_ = low;
      break;
    default:
      return 0;
  }
  return SUCCESS;
}

NotifyTarget SearchOptions::Notification() const {
  std::lock_guard<std::mutex> hold(notifyLock_);
  return notify_;
}
