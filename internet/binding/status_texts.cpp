#include "internet/binding/status_texts.h"

#include "plugin/include/fetchpix.h"

std::optional<StatusText> TextForStatus(uint32_t code) {
  switch (code) {
    case ENDOFRESULTS: return StatusText{"End of results reached. Moving to beginning.", 4000};
    case OUTOFMEMORY: return StatusText{"Out of memory", 8000};
    case NOCONNECTION: return StatusText{"No internet connection available", 8000};
    case CONNECTIONREFUSED: return StatusText{"Connection refused", 8000};
    case SERVERBUSY: return StatusText{"Server busy", 8000};
    case URLUNAVAILABLE: return StatusText{"Unable to access URL", 8000};
    case CONTENTNOTUSABLE: return StatusText{"The content at the URL is not of a usable type", 8000};
    case URLNOTHTTP: return StatusText{"The URL specified is not HTTP", 8000};
    case URLNOTRESOLVED: return StatusText{"The URL could not be resolved", 8000};
    case NORESULTS: return StatusText{"No results\nTry different keywords", 8000};
    case NOPREVIOUS: return StatusText{"No previous images", 4000};
    case NOKEYWORDS: return StatusText{"No keywords specified", 8000};
    case ENGINEUNAVAILABLE: return StatusText{"The search engine is currently unavailable.", 8000};
    default: return std::nullopt;
  }
}
