#include "internet/binding/internet_source_win.h"

#include "internet/binding/save_image_win.h"
#include "internet/binding/search_options.h"
#include "internet/binding/status_texts.h"
#include "settings/flags_win.h"
#include "support/app_messages.h"
#include "support/log/log.h"

namespace {

// Engine ids travel as one byte; an index outside that range names no engine
// (rather than another engine's id cut to eight bits).
uint8_t EngineByte(int32_t index) { return index >= 0 && index < 255 ? static_cast<uint8_t>(index) : 255; }

std::string Hex(uint32_t code) {
  char text[16];
  snprintf(text, sizeof text, "0x%X", code);
  return text;
}

}  // namespace

InternetSource::InternetSource(FetchpixLibrary& library, Settings& live, StatusSink& status,
                               std::string defaultSaveFolder)
    : library(library), live(live), status(status), defaultSaveFolder(std::move(defaultSaveFolder)) {}

InternetSource::~InternetSource() { Stop(); }

uint32_t InternetSource::LoadEngines() { return library.Enumerate(engines); }

uint32_t InternetSource::StartSearch() {
  const uint32_t result = library.StartSearch(live.InternetString, EngineByte(live.EngineIndex), &search);
  if (result != SUCCESS) {
    if (search) library.StopSearch(search);
    search = nullptr;
  }
  return result;
}

uint32_t InternetSource::StartConfiguredSearch() {
  StopSearch();
  return StartSearch();
}

void InternetSource::SendOptions() {
  for (const OptionCall& c : SearchOptionCalls(live, reinterpret_cast<uintptr_t>(window), kMsgSearchNotify))
    library.SetOption(c.id, c.value, c.value2);
}

void InternetSource::FollowSource(bool sourceChanged) {
  if (search && !live.GetImageFromInternet) StopSearch();
  if (live.GetImageFromInternet && sourceChanged) {
    StopSearch();
    const uint32_t result = StartSearch();
    if (result != SUCCESS) SF_LOG(kLogWarning, "Fetchpix::StartSearch() failed: " + Hex(result));
  }
}

void InternetSource::StopSearch() {
  if (!search) return;
  library.StopSearch(search);
  search = nullptr;
  // The stopped search will never answer: the change that waits for it ends now.
  if (awaiting) EndRequest();
}

void InternetSource::Stop() {
  StopSearch();
  ReleaseImage();
}

void InternetSource::EndRequest() {
  awaiting = false;
  if (sink) sink->OnInternetRequestEnded();
}

void InternetSource::Tell(uint32_t code) {
  if (std::optional<StatusText> t = TextForStatus(code))
    status.ShowStatus(std::string(t->text), false, t->durationMs, kStatusClickNone);
}

bool InternetSource::RequestImage(bool forward) {
  lastForward = forward;
  restartedForRequest = false;
  if (search) {
    bool critical = false;
    library.IsCritical(search, critical);
    // The search's thread has ended: only a new search can answer.
    if (critical) {
      SF_LOG(kLogWarning, "Search is critical; restarting it");
      library.StopSearch(search);
      search = nullptr;
    }
  }
  if (!search) {
    const uint32_t started = StartSearch();
    if (started != SUCCESS) {
      SF_LOG(kLogWarning, "Fetchpix::StartSearch() failed: " + Hex(started));
      Tell(started);
      return false;
    }
  }
  const uint32_t queued = library.QueueImage(search, forward);
  if (queued != SUCCESS) {
    SF_LOG(kLogWarning, "Fetchpix::QueueImage() failed: " + Hex(queued));
    Tell(queued);
    return false;
  }
  awaiting = true;
  return true;
}

void InternetSource::OnNotification(WPARAM wParam, LPARAM lParam) {
  const auto handle = reinterpret_cast<SearchHandle>(wParam);
  const auto code = static_cast<uint32_t>(lParam);
  // News of a search that was stopped since: its handle may even be reused.
  if (!search || handle != search) {
    SF_LOG(kLogInfo, "Notification " + Hex(code) + " for a search that is no longer running");
    return;
  }
  if (code == SUCCESS) {
    Fetch();
    return;
  }
  Tell(code);
  if (code == ENDOFRESULTS) {
    if (sink) sink->OnEndOfResults();
    return;  // the search goes on from its first result
  }
  SF_LOG(kLogWarning, "Search notification " + Hex(code));
  if (awaiting) EndRequest();
}

void InternetSource::Fetch() {
  // An answer nobody waits for (the request was given up) is left in the plug-in.
  if (!awaiting) return;
  ImageData* image = nullptr;
  const uint32_t result = library.FetchSearch(search, &image);
  switch (result) {
    case SUCCESS:
      awaiting = false;
      ReleaseImage();
      current = image;
      if (!current || !current->bytes || current->size == 0) {
        ReleaseImage();
        if (sink) sink->OnInternetRequestEnded();
        return;
      }
      if (sink) sink->OnInternetImage(ImageBytes{current->bytes, current->size});
      return;
    case IMAGENOTREADY:
    case IMAGENOTQUEUE:
      SF_LOG(kLogError, result == IMAGENOTREADY ? "Fetch returned IMAGENOTREADY" : "Fetch returned IMAGENOTQUEUE");
      SetErrorFlag(live, 1);
      EndRequest();
      return;
    case INVALIDHANDLE:
      // The plug-in no longer knows the search: start it again and ask once more.
      search = nullptr;
      if (!restartedForRequest && StartSearch() == SUCCESS && library.QueueImage(search, lastForward) == SUCCESS) {
        restartedForRequest = true;
        return;
      }
      EndRequest();
      return;
    default:
      if (image) library.FreeImage(&image);
      SF_LOG(kLogWarning, "Fetchpix::FetchSearch() failed: " + Hex(result));
      Tell(result);
      EndRequest();
      return;
  }
}

void InternetSource::ReleaseImage() {
  if (current) library.FreeImage(&current);
  current = nullptr;
}

bool InternetSource::NeedsSizeCheck() const { return !EngineAnnouncesSizes(engines, live.EngineIndex); }

bool InternetSource::SaveCurrentImage() {
  if (!search) return false;
  ImageData* image = nullptr;
  if (library.FetchSearch(search, &image) != SUCCESS || !image) {
    if (image) library.FreeImage(&image);
    return false;
  }
  const bool saved = SaveImageToFile(*image, live, defaultSaveFolder);
  library.FreeImage(&image);
  return saved;
}

bool InternetSource::BlockCurrentImage() {
  if (!search) return false;
  const int answer = MessageBoxA(window,
                                 "Are you sure you wish to block this image?\n\nBlocking this image will attempt to\n"
                                 "keep it from appearing in the future.",
                                 "Are you sure?", MB_YESNO | MB_ICONQUESTION);
  // The box runs a modal loop: the search may have been stopped meanwhile.
  if (answer != IDYES || !search) return false;
  library.CondemnImage(search);
  return true;
}

void InternetSource::ForgetSearch(const std::string& text) { library.ClearSpecificHistoryCache(text); }
