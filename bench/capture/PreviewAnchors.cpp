#include "PreviewAnchors.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <sys/resource.h>

#include <cstdio>
#include <string>
#include <thread>

#include "VideoRealEffect.h"

namespace bench {

namespace {

double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

}  // namespace

// The camera thread's reader, bare: the lavfi device, its stream's decoder.
struct PreviewAnchors::Source {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int stream = -1;

  ~Source() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    if (format) avformat_close_input(&format);
  }

  bool Open(int width, int height, double fps) {
    avdevice_register_all();
    char url[96];
    std::snprintf(url, sizeof url, "testsrc2=size=%dx%d:rate=%g", width, height, fps);
    if (avformat_open_input(&format, url, av_find_input_format("lavfi"), nullptr) < 0) return false;
    if (avformat_find_stream_info(format, nullptr) < 0) return false;
    const AVCodec* codec = nullptr;
    stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream < 0 || !(decoder = avcodec_alloc_context3(codec))) return false;
    if (avcodec_parameters_to_context(decoder, format->streams[stream]->codecpar) < 0) return false;
    return avcodec_open2(decoder, codec, nullptr) == 0;
  }

  // The next decoded frame in `frame`; false at a failure.
  bool Next() {
    av_frame_unref(frame);
    for (;;) {
      const int err = avcodec_receive_frame(decoder, frame);
      if (err == 0) return true;
      if (err != AVERROR(EAGAIN)) return false;
      if (av_read_frame(format, packet) < 0) return false;
      if (packet->stream_index == stream) avcodec_send_packet(decoder, packet);
      av_packet_unref(packet);
    }
  }
};

PreviewAnchors::PreviewAnchors(int width, int height, double fps, bool judge, bool denoise, bool delight)
    : source_(std::make_unique<Source>()),
      width_(width),
      height_(height),
      rowBytes_((width * 4 + 15) / 16 * 16),
      interval_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(1 / fps))) {
  if (!source_->Open(width, height, fps)) return;
  effect_ = std::make_unique<CVideoRealEffect>(width, height);
  // The capture engine's switches and its levels (30 and 50).
  effect_->EnableFrameJudge(judge);
  effect_->EnableDenoise(denoise);
  effect_->EnableDelight(delight);
  effect_->SetDenoiseLevel(30);
  effect_->SetDelightLevel(50);
  for (std::vector<uint8_t>& p : pictures_) p.resize(size_t(rowBytes_) * size_t(height));
  ok_ = true;
}

PreviewAnchors::~PreviewAnchors() = default;

double PreviewAnchors::DecodeMs(int frames) {
  double inside = 0;
  auto due = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    std::this_thread::sleep_until(due += interval_);
    const double c0 = ProcessCpuMs();
    if (!source_->Next()) return -1;
    inside += ProcessCpuMs() - c0;
  }
  return inside / frames;
}

double PreviewAnchors::ChainMs(int frames, int threads) {
  if (threads > 0 && threads != effect_->ThreadCount()) effect_->SetThreadCount(threads);
  double inside = 0;
  SwsContext* sws = nullptr;
  auto due = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    std::this_thread::sleep_until(due += interval_);
    if (!source_->Next()) return -1;
    std::vector<uint8_t>& picture = pictures_[size_t(i) % std::size(pictures_)];
    // The camera thread's conversion, as the media layer makes it.
    const AVFrame* f = source_->frame;
    sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), width_, height_,
                               AV_PIX_FMT_ARGB, SWS_BILINEAR, nullptr, nullptr, nullptr);
    uint8_t* planes[4] = {picture.data(), nullptr, nullptr, nullptr};
    int strides[4] = {rowBytes_, 0, 0, 0};
    sws_scale(sws, f->data, f->linesize, 0, f->height, planes, strides);
    const double c0 = ProcessCpuMs();
    effect_->DoEffect(picture.data(), width_, height_, 32, rowBytes_);
    inside += ProcessCpuMs() - c0;
  }
  sws_freeContext(sws);
  return inside / frames;
}

}  // namespace bench
