#pragma once
// A search whose text is a web address that serves one image. Each "next"
// past the newest kept image downloads the address anew; "previous" walks
// back through the last few downloads. No archive, no disk cache.
#include <cstdint>
#include <deque>
#include <memory>

#include "plugin/core/search_thread_win.h"
#include "plugin/search/image_ring.h"

namespace net {
class NetSession;
}

class SearchImage final : public SearchThread {
 public:
  SearchImage();
  ~SearchImage() override;

 protected:
  uint32_t RetrieveImage(ImageData** out) override;
  bool Initialise() override;
  bool Work() override;
  bool Cache() override { return true; }
  void Report() override;
  void Release() override;
  void QueueNext() override;
  void QueuePrevious() override;
  void AbortTransfers() override;

 private:
  void Next();
  void Previous();
  void Settle();  // idle, or active while requests wait

  // Made with the object, so that an abort from the control thread always
  // finds it; closed by Release.
  std::unique_ptr<net::NetSession> session_;
  std::deque<uint32_t> requests_;  // search thread only
  ImageRing images_;               // under the image lock
};
