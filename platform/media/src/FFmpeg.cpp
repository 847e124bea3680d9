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

bool PictureConverter::Convert(const AVFrame* in, int outWidth, int outHeight, uint8_t* out,
                               int outRowBytes) {
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
