#include "media/Movie.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/bswap.h>
#include <libavutil/display.h>
}

#include <sys/stat.h>

#include "FFmpeg.h"
#include "InputReader.h"

namespace media {

namespace {

// Movies are regular files, read through FFmpeg's
// file protocol alone: a name such as "concat:..." or "http://..." (or a
// device, a pipe) is never opened.
bool IsRegularLocalFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

AVDictionary* FileProtocolOnly() {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  return options;
}

}  // namespace

namespace {

constexpr AVRational k600 = {1, kMovieTimeScale};

uint32_t TagOf(const AVCodecParameters* par) {
  if (par->codec_tag) return av_bswap32(par->codec_tag);  // stored as its bytes in file order
  static const struct {
    AVCodecID id;
    uint32_t type;
  } kTypes[] = {
      {AV_CODEC_ID_MPEG4, 0x6D703476},      // 'mp4v'
      {AV_CODEC_ID_MJPEG, 0x6A706567},      // 'jpeg'
      {AV_CODEC_ID_H264, 0x61766331},       // 'avc1'
      {AV_CODEC_ID_H263, 0x68323633},       // 'h263'
      {AV_CODEC_ID_PNG, 0x706E6720},        // 'png '
      {AV_CODEC_ID_PCM_S16LE, 0x736F7774},  // 'sowt'
      {AV_CODEC_ID_PCM_S16BE, 0x74776F73},  // 'twos'
      {AV_CODEC_ID_AAC, 0x6D703461},        // 'mp4a'
  };
  for (const auto& t : kTypes)
    if (t.id == par->codec_id) return t.type;
  return 0;
}

uint32_t VendorOf(const AVStream* st) {
  const AVDictionaryEntry* e = av_dict_get(st->metadata, "vendor_id", nullptr, 0);
  if (!e || std::strlen(e->value) != 4 || std::strcmp(e->value, "[0][0][0][0]") == 0) return 0;
  const auto* v = reinterpret_cast<const uint8_t*>(e->value);
  return uint32_t(v[0]) << 24 | uint32_t(v[1]) << 16 | uint32_t(v[2]) << 8 | v[3];
}

// Sample count and bytes from the demuxer's index (every sample of a mov).
void CountSamples(AVStream* st, int64_t* count, uint64_t* bytes) {
  int n = avformat_index_get_entries_count(st);
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += uint64_t(avformat_index_get_entry(st, i)->size);
  *count = n;
  *bytes = sum;
}

double DurationMs(const AVStream* st, const AVFormatContext* fmt) {
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) return double(st->duration) * 1000.0 * av_q2d(st->time_base);
  if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0) return double(fmt->duration) / 1000.0;
  return 0;
}

int64_t StartOf(const AVStream* st) { return st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time; }

// out[i] = table[in[i]] for n bytes; eight loads in flight per step.
void TableCopy(const uint8_t* in, uint8_t* out, size_t n, const uint8_t* table) {
  if (!table) {
    std::memcpy(out, in, n);
    return;
  }
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint8_t a = table[in[i]], b = table[in[i + 1]], c = table[in[i + 2]], d = table[in[i + 3]];
    uint8_t e = table[in[i + 4]], f = table[in[i + 5]], g = table[in[i + 6]], h = table[in[i + 7]];
    out[i] = a, out[i + 1] = b, out[i + 2] = c, out[i + 3] = d;
    out[i + 4] = e, out[i + 5] = f, out[i + 6] = g, out[i + 7] = h;
  }
  for (; i < n; ++i) out[i] = table[in[i]];
}

}  // namespace

struct Movie::Impl {
  std::string path;
  bool open = false;
  bool hasVideo = false, hasSound = false;
  VideoDescription video;
  SoundDescription sound;
  Size natural;
  int64_t duration = 0;
  uint32_t soundRate = 0;
  uint16_t soundChannels = 0;

  // Picture side.
  InputReader videoReader;
  ff::FramePtr current{av_frame_alloc()}, next{av_frame_alloc()};
  int64_t currentAt = 0, nextAt = 0;
  bool haveCurrent = false, haveNext = false, videoEnded = false;
  ff::PictureConverter converter;

  // Sound side.
  InputReader soundReader;
  bool soundOpen = false, soundEnded = false;
  ff::SwrPtr resampler;
  ff::FramePtr soundFrame{av_frame_alloc()};
  int64_t target = -1;  // first sample wanted after a seek
  std::vector<uint8_t> pending;

  int64_t To600(const AVStream* st, int64_t ts) const {
    return av_rescale_q(ts - StartOf(st), st->time_base, k600);
  }
  int64_t From600(const AVStream* st, int64_t t) const {
    return av_rescale_q(t, k600, st->time_base) + StartOf(st);
  }
  int64_t FrameTime(const AVFrame* f) {
    int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    return ts == AV_NOPTS_VALUE ? (haveCurrent ? currentAt + 1 : 0) : To600(videoReader.Stream(), ts);
  }
  bool Describe(AVFormatContext* fmt);
  // `current` made the frame shown at t (decoding on from where it is, or
  // after a seek); false when there is none.
  bool DecodedAt(int64_t t);
  bool OpenSound();
};

bool Movie::Impl::Describe(AVFormatContext* fmt) {
  int v = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  int a = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  // Cover art is a picture, not a video track.
  if (v >= 0 && (fmt->streams[v]->disposition & AV_DISPOSITION_ATTACHED_PIC)) v = -1;
  hasVideo = v >= 0;
  hasSound = a >= 0;
  if (!hasVideo && !hasSound) return false;
  duration = 0;
  if (hasVideo) {
    AVStream* st = fmt->streams[v];
    const AVCodecParameters* par = st->codecpar;
    video = {};
    video.type = TagOf(par);
    video.vendor = VendorOf(st);
    video.depth = par->bits_per_coded_sample > 0 ? par->bits_per_coded_sample : 24;
    video.size = {par->width, par->height};
    CountSamples(st, &video.frameCount, &video.dataSize);
    if (video.frameCount == 0) video.frameCount = st->nb_frames;
    video.durationMs = DurationMs(st, fmt);
    if (video.durationMs > 0) {
      video.frameRate = double(video.frameCount) * 1000.0 / video.durationMs;
      video.dataRate = double(video.dataSize) * 8.0 * 1000.0 / video.durationMs;
    }
    const AVDictionaryEntry* encoder = av_dict_get(st->metadata, "encoder", nullptr, 0);
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    video.mpeg = par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO;
    if (par->codec_id == AV_CODEC_ID_MPEG1VIDEO) video.codecName = "MPEG-1";
    else if (par->codec_id == AV_CODEC_ID_MPEG2VIDEO) video.codecName = "MPEG-2";
    else if (encoder && *encoder->value) video.codecName = encoder->value;
    else if (desc) video.codecName = desc->long_name ? desc->long_name : desc->name;
    // The size a viewer shows: sample aspect, then a quarter turn swaps the sides.
    natural = video.size;
    AVRational sar = av_guess_sample_aspect_ratio(fmt, st, nullptr);
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
      natural.width = int32_t(av_rescale(natural.width, sar.num, sar.den));
    const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (matrix) {
      double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
      if (std::abs(std::abs(angle) - 90.0) < 1.0) std::swap(natural.width, natural.height);
    }
    duration = std::max(duration, int64_t(std::llround(video.durationMs * 0.6)));
  }
  if (hasSound) {
    AVStream* st = fmt->streams[a];
    const AVCodecParameters* par = st->codecpar;
    sound = {};
    sound.format = TagOf(par);
    sound.vendor = VendorOf(st);
    sound.channels = uint16_t(par->ch_layout.nb_channels);
    int bits = par->bits_per_coded_sample > 0 ? par->bits_per_coded_sample : av_get_bits_per_sample(par->codec_id);
    sound.bits = uint16_t(bits > 0 ? bits : 16);
    sound.sampleRate = uint32_t(std::max(par->sample_rate, 0));
    int64_t count = 0;
    CountSamples(st, &count, &sound.dataSize);
    sound.durationMs = DurationMs(st, fmt);
    if (sound.dataSize == 0 && par->bit_rate > 0) sound.dataSize = uint64_t(par->bit_rate * sound.durationMs / 8000.0);
    if (sound.durationMs > 0) sound.dataRate = double(sound.dataSize) * 8.0 * 1000.0 / sound.durationMs;
    bool pcm = par->codec_id >= AV_CODEC_ID_FIRST_AUDIO && par->codec_id < AV_CODEC_ID_ADPCM_IMA_QT;
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    sound.name = pcm || !desc ? "PCM" : (desc->long_name ? desc->long_name : desc->name);
    soundRate = sound.sampleRate;
    soundChannels = sound.channels;
    duration = std::max(duration, int64_t(std::llround(sound.durationMs * 0.6)));
  }
  return true;
}

bool Movie::Impl::OpenSound() {
  if (soundOpen) return true;
  if (!hasSound) return false;
  AVDictionary* fileOnly = FileProtocolOnly();
  if (soundReader.Open(nullptr, path, &fileOnly, AVMEDIA_TYPE_AUDIO) < 0) return false;
  soundOpen = true;
  return true;
}

Movie::Movie() : impl_(std::make_unique<Impl>()) {}
Movie::~Movie() = default;

int Movie::Open(const std::string& path) {
  Close();
  ff::RegisterDevices();
  Impl& d = *impl_;
  if (!IsRegularLocalFile(path)) return -1;
  AVFormatContext* fmt = nullptr;
  AVDictionary* options = FileProtocolOnly();
  const int opened = avformat_open_input(&fmt, path.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return -1;
  bool ok = avformat_find_stream_info(fmt, nullptr) >= 0 && d.Describe(fmt);
  avformat_close_input(&fmt);
  if (!ok) return -1;
  d.path = path;
  // Files are read ahead of the picture wanted: threads pay off (a camera does not).
  d.videoReader.SetDecoderThreads(4);
  AVDictionary* fileOnly = d.hasVideo ? FileProtocolOnly() : nullptr;
  if (d.hasVideo && d.videoReader.Open(nullptr, path, &fileOnly, AVMEDIA_TYPE_VIDEO) < 0) {
    d.videoReader.Close();
    d.hasVideo = false;
    d.natural = {};
    if (!d.hasSound) return -1;
  }
  d.open = true;
  return 0;
}

void Movie::Close() {
  Impl& d = *impl_;
  d.videoReader.Close();
  d.soundReader.Close();
  d.resampler.reset();
  d.pending.clear();
  d.open = d.hasVideo = d.hasSound = d.soundOpen = false;
  d.haveCurrent = d.haveNext = d.videoEnded = d.soundEnded = false;
  d.natural = {};
  d.duration = 0;
  d.path.clear();
}

bool Movie::IsOpen() const { return impl_->open; }
bool Movie::HasVideo() const { return impl_->hasVideo; }
bool Movie::HasSound() const { return impl_->hasSound; }
const std::string& Movie::Path() const { return impl_->path; }
Size Movie::NaturalSize() const { return impl_->natural; }
Size Movie::FrameSize() const { return impl_->hasVideo ? impl_->video.size : Size{}; }
int64_t Movie::Duration() const { return impl_->duration; }

bool Movie::DescribeVideo(VideoDescription* out) const {
  if (!impl_->hasVideo || !out) return false;
  *out = impl_->video;
  return true;
}

bool Movie::DescribeSound(SoundDescription* out) const {
  if (!impl_->hasSound || !out) return false;
  *out = impl_->sound;
  return true;
}

bool Movie::Impl::DecodedAt(int64_t t) {
  Impl& d = *this;
  if (t < 0) t = 0;
  bool pastEnd = d.videoEnded && d.haveCurrent && t >= d.currentAt;
  bool ahead = d.haveNext && t < d.nextAt;  // the current frame is still the one shown
  if (!pastEnd && (!d.haveCurrent || t < d.currentAt || (!ahead && t > d.currentAt + 2 * kMovieTimeScale))) {
    d.videoReader.Seek(d.From600(d.videoReader.Stream(), t));
    d.haveCurrent = d.haveNext = d.videoEnded = false;
  }
  while (!pastEnd) {
    if (!d.haveNext) {
      int err = d.videoReader.Next(d.next.get());
      if (err == AVERROR_EOF) {
        d.videoEnded = true;
        break;
      }
      if (err < 0) {
        if (d.haveCurrent) break;
        return false;
      }
      d.nextAt = d.FrameTime(d.next.get());
      d.haveNext = true;
    }
    if (d.haveCurrent && d.nextAt > t) break;  // the next frame is still to come
    std::swap(d.current, d.next);
    d.currentAt = d.nextAt;
    d.haveCurrent = true;
    d.haveNext = false;
    if (d.currentAt > t) break;  // t lies before the first frame
  }
  return d.haveCurrent;
}

int Movie::FrameAt(int64_t t, Frame& out, Size size) {
  Impl& d = *impl_;
  if (!d.hasVideo || !d.DecodedAt(t)) return -1;
  if (size.width <= 0 || size.height <= 0) size = d.natural;
  out.Resize(size.width, size.height);
  out.index = d.currentAt;
  out.timeUs = d.currentAt * 1000000 / kMovieTimeScale;
  return d.converter.Convert(d.current.get(), size.width, size.height, out.pixels.data(), out.rowBytes) ? 0 : -1;
}

int Movie::FrameInto(int64_t t, uint8_t* argb, int32_t rowBytes, Size size) {
  Impl& d = *impl_;
  if (!argb || size.width <= 0 || size.height <= 0 || rowBytes < size.width * 4) return -1;
  if (!d.hasVideo || !d.DecodedAt(t)) return -1;
  return d.converter.Convert(d.current.get(), size.width, size.height, argb, rowBytes) ? 0 : -1;
}

bool Movie::DecodesToYuv420() const {
  const Impl& d = *impl_;
  const AVCodecContext* c = d.videoReader.Decoder();
  return d.hasVideo && c && c->pix_fmt == AV_PIX_FMT_YUV420P && d.natural == d.video.size;
}

int Movie::FrameYuv420Into(int64_t t, const Yuv420View& out, const uint8_t* lumaTable, const uint8_t* chromaTable) {
  Impl& d = *impl_;
  if (!d.hasVideo || !d.DecodedAt(t)) return -1;
  const AVFrame* f = d.current.get();
  if (f->format != AV_PIX_FMT_YUV420P || f->width != out.size.width || f->height != out.size.height) return -1;
  for (int p = 0; p < 3; ++p) {
    const int32_t w = p == 0 ? f->width : (f->width + 1) / 2;
    if (!out.planes[p] || out.rowBytes[p] < w || !f->data[p]) return -1;
  }
  for (int p = 0; p < 3; ++p) {
    const int32_t w = p == 0 ? f->width : (f->width + 1) / 2, h = p == 0 ? f->height : (f->height + 1) / 2;
    const uint8_t* table = p == 0 ? lumaTable : chromaTable;
    for (int32_t y = 0; y < h; ++y)
      TableCopy(f->data[p] + ptrdiff_t(y) * f->linesize[p], out.planes[p] + ptrdiff_t(y) * out.rowBytes[p], size_t(w),
                table);
  }
  return 0;
}

uint32_t Movie::SoundRate() const { return impl_->soundRate; }
uint16_t Movie::SoundChannels() const { return impl_->soundChannels; }

int Movie::SeekSound(int64_t t) {
  Impl& d = *impl_;
  if (!d.OpenSound()) return -1;
  if (t < 0) t = 0;
  AVStream* st = d.soundReader.Stream();
  d.soundReader.Seek(d.From600(st, t));
  d.resampler.reset();
  d.pending.clear();
  d.soundEnded = false;
  d.target = av_rescale(t, d.soundRate, kMovieTimeScale);
  return 0;
}

int Movie::ReadSound(size_t frames, std::vector<uint8_t>& out) {
  Impl& d = *impl_;
  if (!d.OpenSound()) return -1;
  const size_t align = size_t(d.soundChannels) * 2;
  const size_t wanted = frames * align;
  AVStream* st = d.soundReader.Stream();
  while (d.pending.size() < wanted && !d.soundEnded) {
    int err = d.soundReader.Next(d.soundFrame.get());
    if (err == AVERROR_EOF) {
      d.soundEnded = true;
      break;
    }
    if (err < 0) return -1;
    AVFrame* f = d.soundFrame.get();
    if (!d.resampler) {
      SwrContext* swr = nullptr;
      AVChannelLayout layout;
      av_channel_layout_default(&layout, d.soundChannels);
      int e = swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_S16, int(d.soundRate), &f->ch_layout,
                                  AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
      av_channel_layout_uninit(&layout);
      if (e < 0 || swr_init(swr) < 0) {
        swr_free(&swr);
        return -1;
      }
      d.resampler.reset(swr);
    }
    int room = swr_get_out_samples(d.resampler.get(), f->nb_samples);
    size_t at = d.pending.size();
    d.pending.resize(at + size_t(std::max(room, 0)) * align);
    uint8_t* dst[1] = {d.pending.data() + at};
    int got = swr_convert(d.resampler.get(), dst, room, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    av_frame_unref(f);
    if (got < 0) return -1;
    d.pending.resize(at + size_t(got) * align);
    if (d.target >= 0) {
      // After a seek: drop what lies before the wanted sample.
      int64_t first = ts == AV_NOPTS_VALUE ? d.target : av_rescale_q(ts - StartOf(st), st->time_base, {1, int(d.soundRate)});
      int64_t drop = std::clamp<int64_t>(d.target - first, 0, got);
      d.pending.erase(d.pending.begin() + ptrdiff_t(at), d.pending.begin() + ptrdiff_t(at + size_t(drop) * align));
      if (drop < got) d.target = -1;
      else d.target = std::max<int64_t>(d.target, first + got);
    }
  }
  size_t take = std::min(wanted, d.pending.size()) / align * align;
  out.insert(out.end(), d.pending.begin(), d.pending.begin() + ptrdiff_t(take));
  d.pending.erase(d.pending.begin(), d.pending.begin() + ptrdiff_t(take));
  return int(take / align);
}

}  // namespace media
