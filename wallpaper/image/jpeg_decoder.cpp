#include "wallpaper/image/jpeg_decoder.h"

// The library's header needs FILE and size_t declared before it.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
// After jpeglib.h, whose configuration decides which messages exist.
#include <jerror.h>

#include "wallpaper/image/image_limits.h"
#include "wallpaper/image/jpeg_markers.h"
#include "wallpaper/image/jpeg_scale.h"

namespace image {
namespace {

// A progressive picture has a handful of scans; thousands of tiny ones would
// each walk the whole coefficient buffer and keep the worker busy for minutes.
constexpr int kMaxScans = 100;
// Progressive and multi-scan pictures keep every coefficient in memory (two
// bytes per sample per component); past this the decode fails instead.
constexpr long kMaxDecoderMemory = static_cast<long>(kMaxImagePixels * 3);
// Rows asked of the decoder per call.
constexpr int kRowsPerCall = 16;

// libjpeg reports errors through a function that must not return: it jumps
// back to the call that started the work, which then fails.
struct ErrorManager {
  jpeg_error_mgr pub;  // first, so the library's pointer to it is one to us
  std::jmp_buf jump;
  DecodeStatus status;
};

[[noreturn]] void Abandon(j_common_ptr cinfo, DecodeStatus status) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->status = status;
  std::longjmp(err->jump, 1);
}

void OnError(j_common_ptr cinfo) {
  const int code = cinfo->err->msg_code;
  Abandon(cinfo, code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? DecodeStatus::kOutOfMemory
                                                                             : DecodeStatus::kCorrupt);
}

// The library carries on after these with grey or garbled blocks in place of
// the lost data; such a picture is not worth showing.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace output, not a warning
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF: Abandon(cinfo, DecodeStatus::kTruncated);
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
#ifdef D_ARITH_CODING_SUPPORTED
    case JWRN_ARITH_BAD_CODE:
#endif
    case JWRN_MUST_RESYNC: Abandon(cinfo, DecodeStatus::kCorrupt);
    default: return;  // extraneous bytes, odd JFIF versions and the like: the picture is fine
  }
}

void Quiet(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    Abandon(cinfo, DecodeStatus::kCorrupt);
}

// CMYK samples as the decoder gives them; files with an Adobe marker (nearly
// all) store them inverted, 255 meaning no ink.
void CmykToBgr(const uint8_t* src, uint8_t* dst, int width, bool inverted) {
  for (int x = 0; x < width; ++x, src += 4, dst += 3) {
    unsigned c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    dst[0] = static_cast<uint8_t>((y * k + 127) / 255);
    dst[1] = static_cast<uint8_t>((m * k + 127) / 255);
    dst[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

class JpegRowSource final : public RowSource {
 public:
  JpegRowSource(PooledBuffer bytes, size_t size) : bytes_(std::move(bytes)), size_(size) {}
  ~JpegRowSource() override { jpeg_destroy_decompress(&cinfo_); }
  JpegRowSource(const JpegRowSource&) = delete;
  JpegRowSource& operator=(const JpegRowSource&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  // Reads the header. The frames of every function that calls into the
  // library hold no object with a destructor: the error exit jumps over them.
  DecodeStatus Open(bool lean) {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = OnError;
    err_.pub.emit_message = OnMessage;
    err_.pub.output_message = Quiet;
    if (setjmp(err_.jump)) return err_.status;
    jpeg_create_decompress(&cinfo_);
    cinfo_.mem->max_memory_to_use = kMaxDecoderMemory;
    progress_.progress_monitor = OnProgress;
    cinfo_.progress = &progress_;
    jpeg_mem_src(&cinfo_, bytes_.data(), static_cast<unsigned long>(size_));
    if (jpeg_read_header(&cinfo_, TRUE) != JPEG_HEADER_OK) return DecodeStatus::kCorrupt;
    // The size gate, before the decoder has allocated anything for the picture.
    if (!DimensionsAllowed(cinfo_.image_width, cinfo_.image_height)) return DecodeStatus::kTooLarge;
    switch (cinfo_.jpeg_color_space) {
      case JCS_GRAYSCALE:
      case JCS_YCbCr:
      case JCS_RGB: cinfo_.out_color_space = JCS_EXT_BGR; break;
      case JCS_CMYK:
      case JCS_YCCK:
        cinfo_.out_color_space = JCS_CMYK;
        cmyk_ = true;
        inverted_ = cinfo_.saw_Adobe_marker;
        break;
      default: return DecodeStatus::kUnsupported;
    }
    jpeg_calc_output_dimensions(&cinfo_);
    width_ = static_cast<int>(cinfo_.output_width);
    height_ = static_cast<int>(cinfo_.output_height);
    if (lean && jpeg_has_multiple_scans(&cinfo_) && CoefficientBytes() > static_cast<uint64_t>(width_) * height_ * 3)
      return DecodeStatus::kUnsupported;
    return DecodeStatus::kOk;
  }

  bool ReduceTo(int min_width, int min_height) override {
    if (started_ || failed_) return false;
    const int eighths = ChooseJpegEighths(width_, height_, min_width, min_height);
    if (eighths == 8) return false;
    if (setjmp(err_.jump)) {
      failed_ = true;
      failure_ = err_.status;
      return false;
    }
    cinfo_.scale_num = static_cast<unsigned>(eighths);
    cinfo_.scale_denom = 8;
    jpeg_calc_output_dimensions(&cinfo_);
    width_ = static_cast<int>(cinfo_.output_width);
    height_ = static_cast<int>(cinfo_.output_height);
    return true;
  }

  DecodeStatus failure() const { return failure_; }

  bool ReadRows(uint8_t* dst, size_t stride, int count) override {
    if (failed_ || count < 0 || next_ + count > height_) return false;
    if (count > 0 && !Decode(dst, stride, count)) {
      failed_ = true;
      if (failure_ == DecodeStatus::kOk) failure_ = DecodeStatus::kCorrupt;
      return false;
    }
    next_ += count;
    return true;
  }

 private:
  uint64_t CoefficientBytes() const {
    JpegFrame frame;
    frame.found = true;
    frame.width = static_cast<int>(cinfo_.image_width);
    frame.height = static_cast<int>(cinfo_.image_height);
    frame.components = std::min(cinfo_.num_components, 4);
    for (int i = 0; i < frame.components; ++i) frame.h[i] = cinfo_.comp_info[i].h_samp_factor, frame.v[i] = cinfo_.comp_info[i].v_samp_factor;
    return JpegCoefficientBytes(frame);
  }

  bool Decode(uint8_t* dst, size_t stride, int count) {
    if (setjmp(err_.jump)) {
      failure_ = err_.status;
      return false;
    }
    if (!started_) {
      if (cmyk_ && !row_.Reserve(static_cast<size_t>(width_) * 4 * kRowsPerCall)) return false;
      // A progressive picture is read whole here.
      started_ = true;
      if (!jpeg_start_decompress(&cinfo_)) return false;
      const int expected = cmyk_ ? 4 : 3;
      if (static_cast<int>(cinfo_.output_width) != width_ || static_cast<int>(cinfo_.output_height) != height_ ||
          cinfo_.output_components != expected)
        return false;
    }
    JSAMPROW rows[kRowsPerCall];
    for (int done = 0; done < count;) {
      const int want = std::min(count - done, kRowsPerCall);
      for (int i = 0; i < want; ++i)
        rows[i] = cmyk_ ? row_.data() + static_cast<size_t>(width_) * 4 * i : dst + stride * (done + i);
      const int got = static_cast<int>(jpeg_read_scanlines(&cinfo_, rows, static_cast<JDIMENSION>(want)));
      if (got <= 0) return false;  // a memory source never suspends: no rows means no progress
      if (cmyk_)
        for (int i = 0; i < got; ++i) CmykToBgr(rows[i], dst + stride * (done + i), width_, inverted_);
      done += got;
    }
    return true;
  }

  PooledBuffer bytes_;  // the file; the decoder reads from it until destroyed
  size_t size_;
  jpeg_decompress_struct cinfo_{};  // zeroed: destroying one that was never created is harmless
  ErrorManager err_{};
  jpeg_progress_mgr progress_{};
  PooledBuffer row_;  // CMYK rows before conversion
  int width_ = 0, height_ = 0, next_ = 0;
  bool started_ = false, failed_ = false, cmyk_ = false, inverted_ = false;
  DecodeStatus failure_ = DecodeStatus::kOk;
};

}  // namespace

DecodeStatus OpenJpeg(PooledBuffer bytes, size_t size, std::unique_ptr<RowSource>& out, bool lean) {
  out.reset();
  if (!bytes.data() || size == 0 || size > bytes.capacity()) return DecodeStatus::kTruncated;
  // The library counts in unsigned long, 32 bits on Windows.
  if (size > 0xFFFFFFFFu) return DecodeStatus::kTooLarge;
  const DecodeStatus structure = CheckJpegStructure(bytes.data(), size);
  auto source = std::make_unique<JpegRowSource>(std::move(bytes), size);
  const DecodeStatus header = source->Open(lean);
  if (header != DecodeStatus::kOk) return header;
  if (structure != DecodeStatus::kOk) return structure;
  out = std::move(source);
  return DecodeStatus::kOk;
}

DecodeStatus JpegReadFailure(const RowSource& rows) {
  const auto* jpeg = dynamic_cast<const JpegRowSource*>(&rows);
  return jpeg ? jpeg->failure() : DecodeStatus::kOk;
}

DecodeStatus OpenJpegMemory(const uint8_t* data, size_t size, std::unique_ptr<RowSource>& out, bool lean) {
  out.reset();
  if (!data || size == 0) return DecodeStatus::kTruncated;
  PooledBuffer bytes;
  if (!bytes.Reserve(size)) return DecodeStatus::kOutOfMemory;
  std::memcpy(bytes.data(), data, size);
  return OpenJpeg(std::move(bytes), size, out, lean);
}

}  // namespace image
