#include "InputReader.h"

namespace media {

InputReader::InputReader() : packet_(av_packet_alloc()) {}

InputReader::~InputReader() { Close(); }

int InputReader::InterruptCallback(void* self) {
  return static_cast<InputReader*>(self)->interrupted_.load() ? 1 : 0;
}

int InputReader::Open(const char* format, const std::string& url, AVDictionary** options,
                      AVMediaType type) {
  Close();
  interrupted_ = false;  // a new read after an earlier stop
  ff::RegisterDevices();
  AVDictionary* none = nullptr;
  if (!options) options = &none;
  const AVInputFormat* input = nullptr;
  if (format && !(input = av_find_input_format(format))) {
    av_dict_free(options);
    return AVERROR_DEMUXER_NOT_FOUND;
  }
  fmt_ = avformat_alloc_context();
  if (!fmt_) return AVERROR(ENOMEM);
  fmt_->interrupt_callback = {&InputReader::InterruptCallback, this};
  int err = avformat_open_input(&fmt_, url.c_str(), input, options);
  av_dict_free(options);
  if (err < 0) {
    fmt_ = nullptr;  // freed by avformat_open_input
    return err;
  }
  if ((err = avformat_find_stream_info(fmt_, nullptr)) < 0) return err;
  const AVCodec* codec = nullptr;
  int index = av_find_best_stream(fmt_, type, -1, -1, &codec, 0);
  if (index < 0) return index;
  stream_ = fmt_->streams[index];
  for (unsigned i = 0; i < fmt_->nb_streams; ++i)
    if (int(i) != index) fmt_->streams[i]->discard = AVDISCARD_ALL;
  dec_.reset(avcodec_alloc_context3(codec));
  if (!dec_) return AVERROR(ENOMEM);
  if ((err = avcodec_parameters_to_context(dec_.get(), stream_->codecpar)) < 0) return err;
  dec_->pkt_timebase = stream_->time_base;
  if (threads_ > 1) dec_->thread_count = threads_;
  return avcodec_open2(dec_.get(), codec, nullptr);
}

void InputReader::Close() {
  dec_.reset();
  if (fmt_) avformat_close_input(&fmt_);
  stream_ = nullptr;
  draining_ = false;
}

int InputReader::Seek(int64_t timestamp) {
  if (!fmt_ || !dec_) return AVERROR(EINVAL);
  int err = av_seek_frame(fmt_, stream_->index, timestamp, AVSEEK_FLAG_BACKWARD);
  if (err < 0) err = av_seek_frame(fmt_, stream_->index, timestamp, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  avcodec_flush_buffers(dec_.get());
  draining_ = false;
  return err;
}

int InputReader::Next(AVFrame* frame) {
  if (!fmt_ || !dec_) return AVERROR(EINVAL);
  for (;;) {
    int err = avcodec_receive_frame(dec_.get(), frame);
    if (err != AVERROR(EAGAIN)) return err;  // a frame, the end, or a failure
    if (draining_) return AVERROR_EOF;
    err = av_read_frame(fmt_, packet_.get());
    if (err == AVERROR(EAGAIN)) return err;
    if (err == AVERROR_EOF) {
      draining_ = true;
      avcodec_send_packet(dec_.get(), nullptr);
      continue;
    }
    if (err < 0) return err;
    if (packet_->stream_index == stream_->index) {
      err = avcodec_send_packet(dec_.get(), packet_.get());
      av_packet_unref(packet_.get());
      // A damaged packet is skipped; the next one may decode.
      if (err < 0 && err != AVERROR(EAGAIN) && err != AVERROR_INVALIDDATA) return err;
    } else {
      av_packet_unref(packet_.get());
    }
  }
}

}  // namespace media
