#include "FFmpeg.h"

#include <mutex>

namespace media::ff {

void RegisterDevices() {
  static std::once_flag once;
  std::call_once(once, [] {
    avdevice_register_all();
    av_log_set_level(AV_LOG_ERROR);
  });
}

bool PictureConverter::ConvertYuv(const AVFrame* in, uint8_t* out, int outRowBytes) {
  const auto format = AVPixelFormat(in->format);
  const bool full = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P;
  const bool halfHigh = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
  // Without AVX2 our rows are no faster than swscale's own.
  if (BestPixelForm() != PixelForm::Avx2) return false;
  if (!halfHigh && format != AV_PIX_FMT_YUV422P && format != AV_PIX_FMT_YUVJ422P) return false;
  // Elsewhere swscale takes paths of other rounding.
  if (in->width % 2 != 0 || in->height % 2 != 0 || in->linesize[0] <= 0 || in->linesize[1] <= 0 ||
      in->linesize[1] != in->linesize[2])
    return false;
  if (!yuv_ || yuvFullRange_ != full) {
    yuv_.emplace(full);
    yuvFullRange_ = full;
  }
  // Luma rows 2k and 2k + 1 share chroma row k (4:2:2's even rows).
  const int chromaStride = halfHigh ? in->linesize[1] : 2 * in->linesize[1];
  yuv_->Picture(in->data[0], in->linesize[0], in->data[1], in->data[2], chromaStride, in->width, in->height, out,
                outRowBytes, PixelForm::Avx2);
  return true;
}

bool PictureConverter::Convert(const AVFrame* in, int outWidth, int outHeight, uint8_t* out,
                               int outRowBytes) {
  if (in->width == outWidth && in->height == outHeight && ConvertYuv(in, out, outRowBytes)) return true;
  ctx_ = sws_getCachedContext(owner_.release(), in->width, in->height, AVPixelFormat(in->format),
                              outWidth, outHeight, AV_PIX_FMT_ARGB, SWS_BILINEAR, nullptr,
                              nullptr, nullptr);
  owner_.reset(ctx_);
  if (!ctx_) return false;
  uint8_t* planes[4] = {out, nullptr, nullptr, nullptr};
  int strides[4] = {outRowBytes, 0, 0, 0};
  return sws_scale(ctx_, in->data, in->linesize, 0, in->height, planes, strides) == outHeight;
}

}  // namespace media::ff
