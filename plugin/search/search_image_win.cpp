#include "plugin/search/search_image_win.h"


#include "plugin/core/image_record.h"
#include "plugin/net/net_session_win.h"
#include "support/log/log.h"

SearchImage::SearchImage() : session_(std::make_unique<net::NetSession>(&QuitFlag())) {}

SearchImage::~SearchImage() { QuitSearchHandle(); }

bool SearchImage::Initialise() {
  SetStatus(STATUS_IDLE);
  return true;
}

void SearchImage::QueueNext() {
  requests_.push_back(kSearchNext);
  SetStatus(STATUS_ACTIVE);
}

void SearchImage::QueuePrevious() {
  requests_.push_back(kSearchPrevious);
  SetStatus(STATUS_ACTIVE);
}

void SearchImage::AbortTransfers() { session_->Abort(); }

void SearchImage::Settle() { SetStatus(requests_.empty() ? STATUS_IDLE : STATUS_ACTIVE); }

bool SearchImage::Work() {
  if (requests_.empty()) {
    SetStatus(STATUS_IDLE);
    return true;
  }
  const uint32_t request = requests_.front();
  requests_.pop_front();
  if (request == kSearchNext)
    Next();
  else
    Previous();
  return true;
}

void SearchImage::Next() {
  {
    cMonitorLock hold(ImageLock());
    if (images_.StepForward()) {
      Settle();
      Notify(SUCCESS);
      return;
    }
  }
  // Downloaded without the image lock: FetchSearch on the caller's thread
  // must not wait for the network.
  std::string type;
  std::optional<net::DownloadResult> body = session_->TimedDownload(Text(), &type);
  if (QuitRequested()) {
    // Being stopped: the caller has gone and hears nothing more.
    Settle();
    return;
  }
  if (!body) {
    const uint32_t code = session_->lastError();
    if (code == CONNECTIONREFUSED || code == SERVERBUSY) {
      Settle();
      Notify(code);
    } else {
      SetStatusCode(code);
      SetStatus(STATUS_REPORT);
    }
    return;
  }
  if (net::NetSession::Classify(type) != net::ContentClass::Image) {
    // An HTML page where the image was: served as an image it would be
    // retried for ever.
    Settle();
    Notify(CONTENTNOTUSABLE);
    return;
  }
  {
    cMonitorLock hold(ImageLock());
    images_.Append(KeptImage{std::move(body->fileName), std::move(body->bytes)});
    Settle();
  }
  Notify(SUCCESS);
}

void SearchImage::Previous() {
  ImageRing::Back back;
  {
    cMonitorLock hold(ImageLock());
    back = images_.StepBack();
    Settle();
  }
  if (back == ImageRing::Back::AtOldest)
    Notify(NOPREVIOUS);
  else if (back == ImageRing::Back::Moved)
    Notify(SUCCESS);
}

uint32_t SearchImage::RetrieveImage(ImageData** out) {
  // The caller holds the image lock.
  const KeptImage* image = images_.Current();
  if (!image) {
    SF_LOG(kLogInfo, "SearchImage, RetrieveImage, lmageIndex == ImageCache.end()");
    return IMAGENOTREADY;
  }
  return NewImageRecord(image->fileName, image->bytes, 0, 0, out);
}

void SearchImage::Report() {
  Notify(StatusCode());
  SetStatus(STATUS_ENDED);
}

void SearchImage::Release() {
  session_->Close();
  cMonitorLock hold(ImageLock());
  images_.Clear();
}
