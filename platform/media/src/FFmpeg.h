#pragma once
// Small owners and helpers around the FFmpeg C structures.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <optional>
#include <string>

#include "YuvToArgb.h"

namespace media::ff {

struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwsFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;

inline std::string ErrorText(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

// Registers the capture devices once per process.
void RegisterDevices();

// Converts decoded pictures of any format and size to 32-bit A, R, G, B.
// Planar YUV with halved chroma (what cameras' MJPEG and the stand-in give)
// at its own even size goes through our AVX2 rows where the processor has
// them, which give swscale's bytes; everything else through swscale.
class PictureConverter {
 public:
  // False when the conversion cannot be set up.
  bool Convert(const AVFrame* in, int outWidth, int outHeight, uint8_t* out, int outRowBytes);

 private:
  bool ConvertYuv(const AVFrame* in, uint8_t* out, int outRowBytes);

  SwsContext* ctx_ = nullptr;
  SwsPtr owner_;
  std::optional<YuvToArgb> yuv_;
  bool yuvFullRange_ = false;
};

}  // namespace media::ff
