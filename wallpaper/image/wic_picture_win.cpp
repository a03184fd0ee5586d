// Decoding through the Windows Imaging Component. Pixels are copied out strip
// by strip and converted to 24-bit rows on the way, so no second full-size copy
// of the picture is made beside the decoder's own.
#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <memory>
#include <string>

#include "support/win/com_ptr_win.h"
#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/image_limits.h"
#include "wallpaper/image/picture_source.h"

namespace image {
namespace {

// How the rows that WIC hands out are laid out.
enum class Layout { kBgr24, kRgb24, kBgrx32, kBgra32 };

// Decoding at a reduced size. MinGW's headers lack this interface; the layout
// follows the Windows SDK. Wine does not offer it (E_NOINTERFACE), so there the
// full-size decode is scaled instead.
struct IWICBitmapSourceTransform : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                               UINT stride, UINT buffer_size, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
const IID kIidSourceTransform = {0x3B16811B, 0x6A43, 0x4ec9, {0xB7, 0x13, 0x3D, 0x5A, 0x0C, 0x13, 0xB9, 0x40}};

// Each decoding call joins the multithreaded apartment for its scope, unless
// the thread already lives in a single-threaded one (then COM is usable as it is).
constexpr DWORD kDecodeApartment = COINIT_MULTITHREADED;

// Bytes per strip of 32-bit rows copied out of WIC at once.
constexpr size_t kStripBytes = 256 * 1024;

// Objects made in the multithreaded apartment may be used later from other
// threads (the next operation runs on a new worker thread) only while that
// apartment lives; this keeps it alive for the rest of the process.
bool KeepMultithreadedApartment() {
  static const bool kept = [] {
    using Fn = HRESULT(WINAPI*)(void**);
    HMODULE ole = GetModuleHandleA("ole32.dll");
    if (!ole) ole = LoadLibraryA("ole32.dll");
    auto fn = ole ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ole, "CoIncrementMTAUsage"))) : nullptr;
    void* cookie = nullptr;
    return fn && SUCCEEDED(fn(&cookie));
  }();
  return kept;
}

ImageFormat FormatOfContainer(const GUID& g) {
  if (g == GUID_ContainerFormatBmp) return ImageFormat::kBmp;
  if (g == GUID_ContainerFormatJpeg) return ImageFormat::kJpeg;
  if (g == GUID_ContainerFormatGif) return ImageFormat::kGif;
  if (g == GUID_ContainerFormatPng) return ImageFormat::kPng;
  if (g == GUID_ContainerFormatTiff) return ImageFormat::kTiff;
  if (g == GUID_ContainerFormatIco) return ImageFormat::kIco;
  return ImageFormat::kOther;
}

DecodeStatus StatusOf(HRESULT hr) {
  switch (hr) {
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT: return DecodeStatus::kNotThisFormat;
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDOPERATION: return DecodeStatus::kUnsupported;
    case E_OUTOFMEMORY: return DecodeStatus::kOutOfMemory;
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE: return DecodeStatus::kTruncated;
    default: return DecodeStatus::kCorrupt;
  }
}

// Alpha is laid over black, which is also what premultiplied rows already are.
void ConvertRow(const uint8_t* src, uint8_t* dst, int width, Layout layout) {
  switch (layout) {
    case Layout::kBgr24: std::memcpy(dst, src, static_cast<size_t>(width) * 3); break;
    case Layout::kRgb24:
      for (int x = 0; x < width; ++x, src += 3, dst += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
      break;
    case Layout::kBgrx32:
      for (int x = 0; x < width; ++x, src += 4, dst += 3) dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
      break;
    case Layout::kBgra32:
      for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        const unsigned a = src[3];
        if (a == 255) {
          dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
        } else {
          for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint8_t>((src[c] * a + 127) / 255);
        }
      }
      break;
  }
}

class WicRowSource final : public RowSource {
 public:
  WicRowSource(ComPtr<IWICBitmapSource> source, ComPtr<IWICBitmapFrameDecode> frame, Layout layout, int width,
               int height, PooledBuffer bytes, ComPtr<IWICStream> stream)
      : bytes_(std::move(bytes)),
        stream_(std::move(stream)),
        frame_(std::move(frame)),
        source_(std::move(source)),
        layout_(layout),
        width_(width),
        height_(height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  bool ReadRows(uint8_t* dst, size_t stride, int count) override {
    if (failed_ || count < 0 || next_ + count > height_) return false;
    ComApartment com(kDecodeApartment);
    if (!com.Usable()) return Fail();
    if (layout_ == Layout::kBgr24) {
      // Straight into the caller's rows: no intermediate copy at all.
      const WICRect rect{0, next_, width_, count};
      const size_t row_bytes = static_cast<size_t>(width_) * 3;
      const UINT size = static_cast<UINT>(stride * (count - 1) + row_bytes);
      HRESULT hr = S_OK;
      if (count > 0 && transform_) {
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        hr = transform_->CopyPixels(&rect, static_cast<UINT>(width_), static_cast<UINT>(height_), &format,
                                    WICBitmapTransformRotate0, static_cast<UINT>(stride), size, dst);
      } else if (count > 0) {
        hr = source_->CopyPixels(&rect, static_cast<UINT>(stride), size, dst);
      }
      if (FAILED(hr)) return Fail();
      next_ += count;
      return true;
    }
    for (int i = 0; i < count; ++i, ++next_) {
      if (next_ >= strip_first_ + strip_rows_ && !FillStrip()) return Fail();
      ConvertRow(strip_.data() + static_cast<size_t>(next_ - strip_first_) * strip_stride_, dst + stride * i, width_,
                 layout_);
    }
    return true;
  }

  bool ReduceTo(int min_width, int min_height) override {
    if (next_ != 0 || failed_ || transform_ || layout_ != Layout::kBgr24 || !frame_) return false;
    ComApartment com(kDecodeApartment);
    ComPtr<IWICBitmapSourceTransform> transform;
    if (!com.Usable() || FAILED(frame_->QueryInterface(kIidSourceTransform, reinterpret_cast<void**>(transform.put()))))
      return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(transform->GetClosestPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR) return false;
    // JPEG offers 1/2, 1/4 and 1/8; take the strongest that still covers the target,
    // so the scaler only ever shrinks what is left.
    for (int factor : {8, 4, 2}) {
      UINT w = static_cast<UINT>((width_ + factor - 1) / factor), h = static_cast<UINT>((height_ + factor - 1) / factor);
      if (static_cast<int>(w) < min_width || static_cast<int>(h) < min_height) continue;
      if (FAILED(transform->GetClosestSize(&w, &h))) return false;
      if (static_cast<int>(w) < min_width || static_cast<int>(h) < min_height || static_cast<int>(w) >= width_ ||
          static_cast<int>(h) >= height_)
        continue;
      transform_ = std::move(transform);
      width_ = static_cast<int>(w);
      height_ = static_cast<int>(h);
      return true;
    }
    return false;
  }

  // Reads the first rows, so that a file the decoder cannot handle fails now.
  // (Some decoders, Wine's JPEG one among them, decode everything on first copy.)
  bool Probe() {
    ComApartment com(kDecodeApartment);
    if (layout_ == Layout::kBgr24) {
      PooledBuffer row;
      const WICRect rect{0, 0, width_, 1};
      return row.Reserve(static_cast<size_t>(width_) * 3) &&
             SUCCEEDED(source_->CopyPixels(&rect, static_cast<UINT>(width_) * 3, static_cast<UINT>(width_) * 3,
                                           row.data()));
    }
    return FillStrip();
  }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }

  bool FillStrip() {
    strip_stride_ = static_cast<size_t>(width_) * (layout_ == Layout::kRgb24 ? 3 : 4);
    int rows = static_cast<int>(kStripBytes / strip_stride_);
    if (rows < 1) rows = 1;
    const int first = strip_first_ + strip_rows_;
    if (first + rows > height_) rows = height_ - first;
    if (rows <= 0 || !strip_.Reserve(strip_stride_ * static_cast<size_t>(rows))) return false;
    const WICRect rect{0, first, width_, rows};
    if (FAILED(source_->CopyPixels(&rect, static_cast<UINT>(strip_stride_),
                                   static_cast<UINT>(strip_stride_ * static_cast<size_t>(rows)), strip_.data())))
      return false;
    strip_first_ = first;
    strip_rows_ = rows;
    return true;
  }

  // Declared first so it is destroyed last: the stream reads from these bytes.
  PooledBuffer bytes_;
  ComPtr<IWICStream> stream_;
  ComPtr<IWICBitmapFrameDecode> frame_;
  ComPtr<IWICBitmapSource> source_;
  ComPtr<IWICBitmapSourceTransform> transform_;  // set when decoding at a reduced size
  Layout layout_;
  int width_, height_;
  int next_ = 0;
  bool failed_ = false;
  PooledBuffer strip_;
  size_t strip_stride_ = 0;
  int strip_first_ = 0, strip_rows_ = 0;
};

// Picks the frame to show: the first, or for icons the largest.
HRESULT ChooseFrame(IWICBitmapDecoder* decoder, ComPtr<IWICBitmapFrameDecode>& frame) {
  GUID container{};
  UINT frames = 0;
  HRESULT hr = decoder->GetFrameCount(&frames);
  if (FAILED(hr)) return hr;
  if (frames == 0) return WINCODEC_ERR_FRAMEMISSING;
  decoder->GetContainerFormat(&container);
  if (container != GUID_ContainerFormatIco || frames == 1) return decoder->GetFrame(0, frame.put());
  UINT best = 0;
  uint64_t best_pixels = 0;
  for (UINT i = 0; i < frames && i < 256; ++i) {
    ComPtr<IWICBitmapFrameDecode> f;
    UINT w = 0, h = 0;
    if (FAILED(decoder->GetFrame(i, f.put())) || FAILED(f->GetSize(&w, &h))) continue;
    if (uint64_t{w} * h > best_pixels) best = i, best_pixels = uint64_t{w} * h;
  }
  return decoder->GetFrame(best, frame.put());
}

DecodeStatus OpenDecoded(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, PooledBuffer bytes,
                         ComPtr<IWICStream> stream, bool lazy, OpenedPicture& out) {
  ComPtr<IWICBitmapFrameDecode> frame;
  HRESULT hr = ChooseFrame(decoder, frame);
  if (FAILED(hr)) return StatusOf(hr);
  UINT w = 0, h = 0;
  if (FAILED(hr = frame->GetSize(&w, &h))) return StatusOf(hr);
  if (w == 0 || h == 0) return DecodeStatus::kCorrupt;
  // The header's claim is checked before anything is decoded or allocated.
  if (!DimensionsAllowed(w, h)) return DecodeStatus::kTooLarge;

  WICPixelFormatGUID pf{};
  if (FAILED(hr = frame->GetPixelFormat(&pf))) return StatusOf(hr);
  ComPtr<IWICBitmapSource> source;
  frame.As(IID_IWICBitmapSource, source);
  ComPtr<IWICBitmapFrameDecode> direct_frame;  // kept only where rows come straight from the frame
  Layout layout;
  if (pf == GUID_WICPixelFormat24bppBGR) {
    layout = Layout::kBgr24;
    direct_frame = std::move(frame);
  } else if (pf == GUID_WICPixelFormat24bppRGB) {
    layout = Layout::kRgb24;
  } else if (pf == GUID_WICPixelFormat32bppBGR || pf == GUID_WICPixelFormat32bppPBGRA) {
    layout = Layout::kBgrx32;
  } else if (pf == GUID_WICPixelFormat32bppBGRA) {
    layout = Layout::kBgra32;
  } else {
    // Palette, grey, 48-bit and the rest: WIC under Wine converts these only to
    // 32-bit BGRA, not to 24-bit directly; Windows does both.
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.put()))) return StatusOf(hr);
    hr = converter->Initialize(source.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) return DecodeStatus::kUnsupported;
    source.reset();
    converter.As(IID_IWICBitmapSource, source);
    layout = Layout::kBgra32;
  }
  if (!source) return DecodeStatus::kUnsupported;

  GUID container{};
  decoder->GetContainerFormat(&container);
  auto rows = std::make_unique<WicRowSource>(std::move(source), std::move(direct_frame), layout, static_cast<int>(w),
                                             static_cast<int>(h), std::move(bytes), std::move(stream));
  if (!rows->Probe()) return DecodeStatus::kCorrupt;
  out.format = FormatOfContainer(container);
  if (lazy) {
    out.rows = std::move(rows);
    return DecodeStatus::kOk;
  }
  // Not in a lasting apartment: take the pixels out now, while COM is ours.
  Pixmap pixels;
  if (!pixels.Allocate(static_cast<int>(w), static_cast<int>(h))) return DecodeStatus::kOutOfMemory;
  if (!rows->ReadRows(pixels.data(), pixels.stride(), static_cast<int>(h))) return DecodeStatus::kCorrupt;
  out.rows = std::make_unique<OwnedPixmapSource>(std::move(pixels));
  return DecodeStatus::kOk;
}

DecodeStatus Open(const char* path, const uint8_t* data, size_t size, OpenedPicture& out) {
  out = {};
  ComApartment com(kDecodeApartment);
  if (!com.Usable()) return DecodeStatus::kUnsupported;
  const bool lazy = com.InRequestedModel() && KeepMultithreadedApartment();
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put()));
  if (FAILED(hr)) return DecodeStatus::kUnsupported;

  ComPtr<IWICBitmapDecoder> decoder;
  PooledBuffer bytes;
  ComPtr<IWICStream> stream;
  if (path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 0) return DecodeStatus::kNotThisFormat;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
    hr = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            decoder.put());
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
      return DecodeStatus::kNotThisFormat;
  } else {
    if (size > 0xFFFFFFFFu) return DecodeStatus::kTooLarge;
    // Our own copy: the decoder may read from it long after the caller's block is gone.
    if (!bytes.Reserve(size)) return DecodeStatus::kOutOfMemory;
    std::memcpy(bytes.data(), data, size);
    if (FAILED(hr = factory->CreateStream(stream.put()))) return StatusOf(hr);
    if (FAILED(hr = stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(size)))) return StatusOf(hr);
    hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put());
  }
  if (FAILED(hr)) return StatusOf(hr);
  return OpenDecoded(factory.get(), decoder.get(), std::move(bytes), std::move(stream), lazy, out);
}

}  // namespace

bool PlatformDecodesJpeg() { return true; }

DecodeStatus PlatformOpenFile(const char* path, OpenedPicture& out) { return Open(path, nullptr, 0, out); }

DecodeStatus PlatformOpenMemory(const uint8_t* data, size_t size, OpenedPicture& out) {
  return Open(nullptr, data, size, out);
}

}  // namespace image
