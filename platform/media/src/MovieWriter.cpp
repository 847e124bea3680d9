#include "media/MovieWriter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/bsf.h>
#include <libavutil/audio_fifo.h>
}

#include "CodecMap.h"
#include "FFmpeg.h"

namespace media {
namespace {

constexpr AVRational kVideoTimeBase = {1, 600};

int64_t FrameStart(int64_t n, double fps) { return std::llround(double(n) * 600.0 / fps); }

struct BsfFree {
  void operator()(AVBSFContext* b) const { av_bsf_free(&b); }
};
struct FifoFree {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

}  // namespace

struct MovieWriter::Impl {
  MovieWriterSettings settings;
  AVFormatContext* out = nullptr;
  std::mutex fileLock;  // every write to the file
  bool finished = false;
  int finishResult = 0;
  std::atomic<bool> failed{false};
  mutable std::mutex errorLock;
  std::string error;

  // Video (touched by one thread at a time).
  bool videoFailed = false;
  AVStream* videoStream = nullptr;
  ff::CodecPtr videoCodec;
  const VideoCodecEntry* videoEntry = nullptr;
  uint32_t videoType = 0;
  ff::FramePtr videoFrame;
  ff::FramePtr palFrame;  // 3:3:2 picture for the palette codec
  ff::SwsPtr scaler;
  std::unique_ptr<AVBSFContext, BsfFree> bsf;
  std::deque<int64_t> durations;  // of frames sent and not yet out of the encoder
  std::atomic<int64_t> framesWritten{0};

  // Sound (touched by one thread at a time).
  bool soundFailed = false;
  AVStream* soundStream = nullptr;
  ff::CodecPtr soundCodec;
  uint32_t soundType = 0;
  ff::SwrPtr converter;
  std::unique_ptr<AVAudioFifo, FifoFree> fifo;
  ff::FramePtr soundFrame;
  int frameSamples = 1024;
  std::vector<uint8_t> carry;  // a split sample from the last call
  int64_t samplesSent = 0;
  std::atomic<int64_t> samplesIn{0};

  ff::PacketPtr videoPacket{av_packet_alloc()};
  ff::PacketPtr soundPacket{av_packet_alloc()};

  void Fail(const std::string& what, int err = 0) {
    failed = true;
    std::lock_guard lock(errorLock);
    if (!error.empty()) return;
    error = err ? what + ": " + ff::ErrorText(err) : what;
    std::fprintf(stderr, "media: movie %s: %s\n", settings.path.c_str(), error.c_str());
  }
  int Mux(AVPacket* packet, AVStream* stream, AVRational from);
  // A picture of any form and size into `target` (the encoder's frame or
  // the palette codec's 3:3:2 picture, which then fills the encoder's frame).
  bool Convert(const uint8_t* const planes[4], const int strides[4], AVPixelFormat format, int width, int height,
               AVFrame* target);
  // The encoder's frame as the next one. 0 or -1.
  int SendVideoFrame();
  bool OpenVideo();
  bool OpenSound();
  int DrainVideo(bool flushing);
  int EncodeSoundFrame(int samples);
  int DrainSound();
  int FinishAll();
};

int MovieWriter::Impl::Mux(AVPacket* packet, AVStream* stream, AVRational from) {
  av_packet_rescale_ts(packet, from, stream->time_base);
  packet->stream_index = stream->index;
  std::lock_guard lock(fileLock);
  int err = av_interleaved_write_frame(out, packet);  // takes the packet's data
  if (err < 0) Fail("write", err);
  return err;
}

bool MovieWriter::Impl::Convert(const uint8_t* const planes[4], const int strides[4], AVPixelFormat format,
                                int width, int height, AVFrame* target) {
  AVCodecContext* c = videoCodec.get();
  AVFrame* frame = videoFrame.get();
  scaler.reset(sws_getCachedContext(scaler.release(), width, height, format, c->width, c->height,
                                    AVPixelFormat(target->format), SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) {
    Fail("video conversion");
    return false;
  }
  sws_scale(scaler.get(), planes, strides, 0, height, target->data, target->linesize);
  if (target != frame) {
    // The 3:3:2 picture is the palette picture: index i is the colour i.
    for (int y = 0; y < c->height; ++y)
      std::memcpy(frame->data[0] + y * frame->linesize[0], target->data[0] + y * target->linesize[0],
                  size_t(c->width));
    auto* palette = reinterpret_cast<uint32_t*>(frame->data[1]);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = (i >> 5) * 255 / 7, g = ((i >> 2) & 7) * 255 / 7, b = (i & 3) * 255 / 3;
      palette[i] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return true;
}

int MovieWriter::Impl::SendVideoFrame() {
  AVCodecContext* c = videoCodec.get();
  AVFrame* frame = videoFrame.get();
  int64_t n = framesWritten;
  frame->pts = FrameStart(n, settings.fps);
  frame->quality = c->global_quality;  // a fixed quantiser is read from each frame
  durations.push_back(FrameStart(n + 1, settings.fps) - frame->pts);
  int err = avcodec_send_frame(c, frame);
  if (err < 0) {
    Fail("video encoding", err);
    return -1;
  }
  if (DrainVideo(false) < 0) return -1;
  framesWritten = n + 1;
  return 0;
}

bool MovieWriter::Impl::OpenVideo() {
  const MovieWriterSettings& s = settings;
  if (s.size.width <= 0 || s.size.height <= 0 || !(s.fps > 0)) return false;
  videoType = WritableVideoType(s.videoType, s.size);
  videoEntry = FindVideoCodec(videoType);
  const AVCodec* codec = avcodec_find_encoder_by_name(videoEntry->encoder);
  if (!codec) return false;
  videoCodec.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = videoCodec.get();
  c->width = s.size.width;
  c->height = s.size.height;
  c->pix_fmt = videoEntry->pixelFormat;
  c->time_base = kVideoTimeBase;
  c->framerate = av_d2q(s.fps, 100000);
  c->max_b_frames = 0;  // packets leave in frame order
  c->field_order = AV_FIELD_PROGRESSIVE;
  if (videoEntry->pixelFormat == AV_PIX_FMT_YUVJ420P) c->color_range = AVCOL_RANGE_JPEG;
  if (out->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int q = std::clamp(s.quality, 0, 100);
  AVDictionary* options = nullptr;
  if (codec->id == AV_CODEC_ID_MPEG4 || codec->id == AV_CODEC_ID_MJPEG) {
    int qscale = int(std::lround(31.0 - 29.0 * q / 100.0));
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = qscale * FF_QP2LAMBDA;
  } else if (codec->id == AV_CODEC_ID_H264) {
    char crf[16];
    std::snprintf(crf, sizeof crf, "%ld", std::lround(51.0 - 0.33 * q));
    av_dict_set(&options, "crf", crf, 0);
    av_dict_set(&options, "preset", "veryfast", 0);
  }
  // Slices in parallel: the packets still leave one per frame, in order.
  if (codec->capabilities & AV_CODEC_CAP_SLICE_THREADS) {
    c->thread_type = FF_THREAD_SLICE;
    c->thread_count = std::max(s.encoderThreads, 0);
  }
  int err = avcodec_open2(c, codec, &options);
  av_dict_free(&options);
  if (err < 0) return false;
  if (videoEntry->bitstreamFilter) {
    const AVBitStreamFilter* filter = av_bsf_get_by_name(videoEntry->bitstreamFilter);
    AVBSFContext* b = nullptr;
    if (!filter || av_bsf_alloc(filter, &b) < 0) return false;
    bsf.reset(b);
    avcodec_parameters_from_context(b->par_in, c);
    b->time_base_in = c->time_base;
    if (av_bsf_init(b) < 0) return false;
  }
  videoStream = avformat_new_stream(out, nullptr);
  if (!videoStream) return false;
  videoStream->time_base = kVideoTimeBase;
  avcodec_parameters_from_context(videoStream->codecpar, c);
  if (videoType == FourCC('m', 'j', 'p', 'a')) videoStream->codecpar->codec_tag = MKTAG('m', 'j', 'p', 'a');
  videoStream->avg_frame_rate = c->framerate;
  videoFrame.reset(av_frame_alloc());
  videoFrame->format = c->pix_fmt;
  videoFrame->width = c->width;
  videoFrame->height = c->height;
  if (av_frame_get_buffer(videoFrame.get(), 0) < 0) return false;
  if (c->pix_fmt == AV_PIX_FMT_PAL8) {
    palFrame.reset(av_frame_alloc());
    palFrame->format = AV_PIX_FMT_RGB8;
    palFrame->width = c->width;
    palFrame->height = c->height;
    if (av_frame_get_buffer(palFrame.get(), 0) < 0) return false;
  }
  return true;
}

bool MovieWriter::Impl::OpenSound() {
  const MovieWriterSettings& s = settings;
  const SoundFormat& in = s.soundInput;
  if (in.channels == 0 || in.sampleRate == 0 || (in.bitsPerSample != 16 && in.bitsPerSample != 8))
    return false;
  soundType = WritableAudioType(s.soundType, in.channels, in.sampleRate, in.bitsPerSample);
  const AudioCodecEntry* entry = FindAudioCodec(soundType);
  const AVCodec* codec = entry ? avcodec_find_encoder_by_name(AudioEncoderName(*entry, in.bitsPerSample)) : nullptr;
  if (!codec) return false;
  soundCodec.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = soundCodec.get();
  av_channel_layout_default(&c->ch_layout, in.channels);
  c->sample_rate = int(in.sampleRate);
  c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  c->time_base = {1, int(in.sampleRate)};
  if (codec->id == AV_CODEC_ID_AAC) c->bit_rate = 64000 * in.channels;
  if (out->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) return false;
  frameSamples = c->frame_size > 0 ? c->frame_size : 1024;
  AVSampleFormat inFormat = in.bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  SwrContext* swr = nullptr;
  if (swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &c->ch_layout,
                          inFormat, c->sample_rate, 0, nullptr) < 0 || swr_init(swr) < 0) {
    swr_free(&swr);
    return false;
  }
  converter.reset(swr);
  fifo.reset(av_audio_fifo_alloc(c->sample_fmt, in.channels, frameSamples * 4));
  soundFrame.reset(av_frame_alloc());
  soundFrame->format = c->sample_fmt;
  av_channel_layout_copy(&soundFrame->ch_layout, &c->ch_layout);
  soundFrame->sample_rate = c->sample_rate;
  soundFrame->nb_samples = frameSamples;
  if (!fifo || av_frame_get_buffer(soundFrame.get(), 0) < 0) return false;
  soundStream = avformat_new_stream(out, nullptr);
  if (!soundStream) return false;
  soundStream->time_base = c->time_base;
  avcodec_parameters_from_context(soundStream->codecpar, c);
  return true;
}

int MovieWriter::Impl::DrainVideo(bool flushing) {
  AVPacket* packet = videoPacket.get();
  for (;;) {
    int err = avcodec_receive_packet(videoCodec.get(), packet);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) break;
    if (err < 0) {
      Fail("video encoding", err);
      return err;
    }
    if (!durations.empty()) {
      packet->duration = durations.front();
      durations.pop_front();
    }
    if (!bsf) {
      if ((err = Mux(packet, videoStream, kVideoTimeBase)) < 0) return err;
      continue;
    }
    if ((err = av_bsf_send_packet(bsf.get(), packet)) < 0) {
      Fail("video filter", err);
      return err;
    }
    while ((err = av_bsf_receive_packet(bsf.get(), packet)) >= 0)
      if ((err = Mux(packet, videoStream, kVideoTimeBase)) < 0) return err;
  }
  if (flushing && bsf) {
    av_bsf_send_packet(bsf.get(), nullptr);
    int err;
    while ((err = av_bsf_receive_packet(bsf.get(), packet)) >= 0)
      if ((err = Mux(packet, videoStream, kVideoTimeBase)) < 0) return err;
  }
  return 0;
}

int MovieWriter::Impl::EncodeSoundFrame(int samples) {
  AVFrame* frame = soundFrame.get();
  int err = av_frame_make_writable(frame);
  if (err < 0) return err;
  int fill = samples;
  if (samples < frameSamples && !(soundCodec->codec->capabilities &
                                  (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE))) {
    // This encoder takes whole frames only: the last one ends in silence.
    av_samples_set_silence(frame->extended_data, samples, frameSamples - samples,
                           soundCodec->ch_layout.nb_channels, soundCodec->sample_fmt);
    fill = frameSamples;
  }
  frame->nb_samples = fill;
  if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->extended_data), samples) != samples)
    return AVERROR_BUG;
  frame->pts = samplesSent;
  samplesSent += fill;
  if ((err = avcodec_send_frame(soundCodec.get(), frame)) < 0) {
    Fail("sound encoding", err);
    return err;
  }
  return DrainSound();
}

int MovieWriter::Impl::DrainSound() {
  AVPacket* packet = soundPacket.get();
  for (;;) {
    int err = avcodec_receive_packet(soundCodec.get(), packet);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return 0;
    if (err < 0) {
      Fail("sound encoding", err);
      return err;
    }
    if ((err = Mux(packet, soundStream, soundCodec->time_base)) < 0) return err;
  }
}

int MovieWriter::Impl::FinishAll() {
  if (!out) return -1;
  if (videoCodec && videoStream) {
    avcodec_send_frame(videoCodec.get(), nullptr);
    DrainVideo(true);
  }
  if (soundCodec && soundStream) {
    int left = av_audio_fifo_size(fifo.get());
    while (left > 0 && !failed) {
      int take = std::min(left, frameSamples);
      if (EncodeSoundFrame(take) < 0) break;
      left -= take;
    }
    avcodec_send_frame(soundCodec.get(), nullptr);
    DrainSound();
  }
  {
    std::lock_guard lock(fileLock);
    int err = av_write_trailer(out);
    if (err < 0) Fail("index", err);
    err = avio_closep(&out->pb);
    if (err < 0) Fail("close", err);
  }
  avformat_free_context(out);
  out = nullptr;
  return failed ? -1 : 0;
}

MovieWriter::MovieWriter() : impl_(std::make_unique<Impl>()) {}

MovieWriter::~MovieWriter() { Finish(); }

int MovieWriter::Open(const MovieWriterSettings& settings) {
  Impl& d = *impl_;
  if (d.out || d.finished) return -1;
  ff::RegisterDevices();
  d.settings = settings;
  if (avformat_alloc_output_context2(&d.out, nullptr, "mov", settings.path.c_str()) < 0 || !d.out) {
    d.Fail("no mov muxer");
    return -1;
  }
  if (settings.video && !d.OpenVideo()) {
    d.videoFailed = true;
    d.videoCodec.reset();
    d.videoStream = nullptr;
  }
  if (settings.sound && !d.OpenSound()) {
    d.soundFailed = true;
    d.soundCodec.reset();
    d.soundStream = nullptr;
  }
  // A stream that failed half-way may still be listed: start again without it.
  if ((d.videoFailed || d.soundFailed) && d.out->nb_streams != unsigned(bool(d.videoStream) + bool(d.soundStream))) {
    d.Fail("stream set-up");
    avformat_free_context(d.out);
    d.out = nullptr;
    return -1;
  }
  int err = avio_open(&d.out->pb, settings.path.c_str(), AVIO_FLAG_WRITE);
  if (err < 0) {
    d.Fail("create", err);
    avformat_free_context(d.out);
    d.out = nullptr;
    return -1;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "video_track_timescale", "600", 0);
  err = avformat_write_header(d.out, &options);
  av_dict_free(&options);
  if (err < 0) {
    d.Fail("header", err);
    avio_closep(&d.out->pb);
    avformat_free_context(d.out);
    d.out = nullptr;
    std::remove(settings.path.c_str());
    return -1;
  }
  return 0;
}

bool MovieWriter::VideoTrackFailed() const { return impl_->videoFailed; }
bool MovieWriter::SoundTrackFailed() const { return impl_->soundFailed; }
bool MovieWriter::HasVideo() const { return impl_->videoStream != nullptr; }
bool MovieWriter::HasSound() const { return impl_->soundStream != nullptr; }
uint32_t MovieWriter::VideoType() const { return impl_->videoType; }
uint32_t MovieWriter::SoundType() const { return impl_->soundType; }

int MovieWriter::WriteVideo(const uint8_t* argb, int32_t width, int32_t height, int32_t rowBytes) {
  Impl& d = *impl_;
  if (!d.out || !d.videoStream || d.finished || !argb || width <= 0 || height <= 0 ||
      rowBytes < width * 4)
    return -1;
  if (d.failed) return -1;
  AVFrame* frame = d.videoFrame.get();
  if (av_frame_make_writable(frame) < 0) return -1;
  AVFrame* target = d.palFrame ? d.palFrame.get() : frame;
  const uint8_t* planes[4] = {argb, nullptr, nullptr, nullptr};
  int strides[4] = {rowBytes, 0, 0, 0};
  if (!d.Convert(planes, strides, AV_PIX_FMT_ARGB, width, height, target)) return -1;
  return d.SendVideoFrame();
}

int MovieWriter::WriteVideoYuv420(const Yuv420View& picture) {
  Impl& d = *impl_;
  const int32_t width = picture.size.width, height = picture.size.height;
  if (!d.out || !d.videoStream || d.finished || width <= 0 || height <= 0) return -1;
  for (int p = 0; p < 3; ++p)
    if (!picture.planes[p] || picture.rowBytes[p] < (p == 0 ? width : (width + 1) / 2)) return -1;
  if (d.failed) return -1;
  AVCodecContext* c = d.videoCodec.get();
  AVFrame* frame = d.videoFrame.get();
  if (av_frame_make_writable(frame) < 0) return -1;
  const uint8_t* planes[4] = {picture.planes[0], picture.planes[1], picture.planes[2], nullptr};
  int strides[4] = {picture.rowBytes[0], picture.rowBytes[1], picture.rowBytes[2], 0};
  if (!d.palFrame && c->pix_fmt == AV_PIX_FMT_YUV420P && c->width == width && c->height == height) {
    // The encoder's own form: the planes as they are.
    av_image_copy(frame->data, frame->linesize, planes, strides, AV_PIX_FMT_YUV420P, width, height);
  } else {
    AVFrame* target = d.palFrame ? d.palFrame.get() : frame;
    if (!d.Convert(planes, strides, AV_PIX_FMT_YUV420P, width, height, target)) return -1;
  }
  return d.SendVideoFrame();
}

int MovieWriter::WriteSound(const uint8_t* pcm, size_t bytes) {
  Impl& d = *impl_;
  if (!d.out || !d.soundStream || d.finished || d.failed) return -1;
  if (!pcm || bytes == 0) return 0;
  const size_t align = d.settings.soundInput.BlockAlign();
  std::vector<uint8_t> joined;
  if (!d.carry.empty()) {
    joined = d.carry;
    joined.insert(joined.end(), pcm, pcm + bytes);
    pcm = joined.data();
    bytes = joined.size();
  }
  size_t whole = bytes / align * align;
  std::vector<uint8_t> rest(pcm + whole, pcm + bytes);
  int samples = int(whole / align);
  if (samples > 0) {
    // Converted straight into the queue of samples waiting for a full frame.
    int room = swr_get_out_samples(d.converter.get(), samples);
    if (av_audio_fifo_realloc(d.fifo.get(), av_audio_fifo_size(d.fifo.get()) + room) < 0) return -1;
    uint8_t** buffers = nullptr;
    if (av_samples_alloc_array_and_samples(&buffers, nullptr, d.soundCodec->ch_layout.nb_channels, room,
                                           d.soundCodec->sample_fmt, 0) < 0)
      return -1;
    const uint8_t* in[1] = {pcm};
    int got = swr_convert(d.converter.get(), buffers, room, in, samples);
    if (got > 0) av_audio_fifo_write(d.fifo.get(), reinterpret_cast<void**>(buffers), got);
    av_freep(&buffers[0]);
    av_freep(&buffers);
    if (got < 0) {
      d.Fail("sound conversion", got);
      return -1;
    }
    d.samplesIn += samples;
    while (av_audio_fifo_size(d.fifo.get()) >= d.frameSamples)
      if (d.EncodeSoundFrame(d.frameSamples) < 0) return -1;
  }
  d.carry = std::move(rest);
  return 0;
}

int64_t MovieWriter::VideoFrames() const { return impl_->framesWritten; }

int64_t MovieWriter::VideoTimeMs() const {
  return FrameStart(impl_->framesWritten, impl_->settings.fps > 0 ? impl_->settings.fps : 1) * 1000 / 600;
}

int64_t MovieWriter::SoundTimeMs() const {
  uint32_t rate = impl_->settings.soundInput.sampleRate;
  return rate ? impl_->samplesIn * 1000 / rate : 0;
}

int MovieWriter::Finish() {
  Impl& d = *impl_;
  if (d.finished) return d.finishResult;
  d.finished = true;
  d.finishResult = d.out ? d.FinishAll() : -1;
  return d.finishResult;
}

std::string MovieWriter::LastError() const {
  std::lock_guard lock(impl_->errorLock);
  return impl_->error;
}

}  // namespace media
