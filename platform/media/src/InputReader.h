#pragma once
// One FFmpeg input (a device, a lavfi graph or a file) with the decoder of
// one of its streams: frames come out decoded.
#include <atomic>
#include <string>

#include "FFmpeg.h"

namespace media {

class InputReader {
 public:
  InputReader();
  ~InputReader();
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // format: an FFmpeg input format name (null to probe a file). Returns 0 or
  // an FFmpeg error. `options` is consumed.
  int Open(const char* format, const std::string& url, AVDictionary** options, AVMediaType type);
  void Close();

  // The next decoded frame of the stream: 0, AVERROR(EAGAIN) when the input
  // has nothing yet, AVERROR_EOF at the end, or another error.
  int Next(AVFrame* frame);

  // Jumps to the key frame at or before `timestamp` (stream time base) and
  // empties the decoder. 0 or an FFmpeg error.
  int Seek(int64_t timestamp);

  // Makes a blocked read give up (from another thread).
  void Interrupt() { interrupted_ = true; }

  AVFormatContext* Format() const { return fmt_; }
  AVStream* Stream() const { return stream_; }
  AVCodecContext* Decoder() const { return dec_.get(); }
  // Decoder threads for the next Open (1: none; frames then leave later).
  void SetDecoderThreads(int n) { threads_ = n; }

 private:
  int threads_ = 1;
  static int InterruptCallback(void* self);

  AVFormatContext* fmt_ = nullptr;
  AVStream* stream_ = nullptr;
  ff::CodecPtr dec_;
  ff::PacketPtr packet_;
  bool draining_ = false;
  std::atomic<bool> interrupted_{false};
};

}  // namespace media
