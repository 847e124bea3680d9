#include "CodecMap.h"

extern "C" {
#include <libavutil/bswap.h>
}

namespace media {
namespace {

constexpr uint32_t kJpeg = FourCC('j', 'p', 'e', 'g');
constexpr uint32_t kSowt = FourCC('s', 'o', 'w', 't');

const VideoCodecEntry kVideo[] = {
    {kJpeg, "mjpeg", AV_PIX_FMT_YUVJ420P, true, nullptr},
    {FourCC('r', 'a', 'w', ' '), "rawvideo", AV_PIX_FMT_RGB24, false, nullptr},
    {FourCC('s', 'm', 'c', ' '), "smc", AV_PIX_FMT_PAL8, true, nullptr},
    {FourCC('r', 'l', 'e', ' '), "qtrle", AV_PIX_FMT_RGB24, true, nullptr},
    {FourCC('r', 'p', 'z', 'a'), "rpza", AV_PIX_FMT_RGB555LE, true, nullptr},
    {FourCC('m', 'j', 'p', 'a'), "mjpeg", AV_PIX_FMT_YUVJ420P, true, "mjpegadump"},
    {FourCC('t', 'g', 'a', ' '), "targa", AV_PIX_FMT_BGRA, false, nullptr},
    {FourCC('p', 'n', 'g', ' '), "png", AV_PIX_FMT_RGB24, false, nullptr},
    {FourCC('t', 'i', 'f', 'f'), "tiff", AV_PIX_FMT_RGB24, false, nullptr},
    {FourCC('m', 'p', '4', 'v'), "mpeg4", AV_PIX_FMT_YUV420P, true, nullptr},
    {FourCC('h', '2', '6', '3'), "h263", AV_PIX_FMT_YUV420P, true, nullptr},
    {FourCC('a', 'v', 'c', '1'), "libx264", AV_PIX_FMT_YUV420P, true, nullptr},
};

const AudioCodecEntry kAudio[] = {
    {FourCC('N', 'O', 'N', 'E'), "pcm_s16be", "pcm_u8"},
    {FourCC('t', 'w', 'o', 's'), "pcm_s16be", nullptr},
    {kSowt, "pcm_s16le", nullptr},
    {FourCC('f', 'l', '3', '2'), "pcm_f32be", nullptr},
    {FourCC('f', 'l', '6', '4'), "pcm_f64be", nullptr},
    {FourCC('i', 'n', '2', '4'), "pcm_s24be", nullptr},
    {FourCC('i', 'n', '3', '2'), "pcm_s32be", nullptr},
    {FourCC('i', 'm', 'a', '4'), "adpcm_ima_qt", nullptr},
    {FourCC('u', 'l', 'a', 'w'), "pcm_mulaw", nullptr},
    {FourCC('a', 'l', 'a', 'w'), "pcm_alaw", nullptr},
    {FourCC('m', 'p', '4', 'a'), "aac", nullptr},
    {FourCC('s', 'a', 'm', 'r'), "libopencore_amrnb", nullptr},
    {0x6D730002, "adpcm_ms", nullptr},
    {0x6D730011, "adpcm_ima_wav", nullptr},
};

bool H263SizeAllowed(Size size) {
  static const Size kSizes[] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
  for (Size s : kSizes)
    if (s == size) return true;
  return false;
}

}  // namespace

const VideoCodecEntry* FindVideoCodec(uint32_t type) {
  for (const VideoCodecEntry& e : kVideo)
    if (e.type == type) return &e;
  return nullptr;
}

const AudioCodecEntry* FindAudioCodec(uint32_t type) {
  for (const AudioCodecEntry& e : kAudio)
    if (e.type == type) return &e;
  return nullptr;
}

const char* AudioEncoderName(const AudioCodecEntry& entry, uint16_t bits) {
  return bits == 8 && entry.encoder8 ? entry.encoder8 : entry.encoder;
}

uint32_t WritableVideoType(uint32_t type, Size size) {
  const VideoCodecEntry* e = FindVideoCodec(type);
  if (!e || !avcodec_find_encoder_by_name(e->encoder)) return kJpeg;
  if (type == FourCC('h', '2', '6', '3') && !H263SizeAllowed(size)) return kJpeg;
  return type;
}

bool CanEncodeAudio(uint32_t type, uint16_t channels, uint32_t sampleRate, uint16_t bits) {
  const AudioCodecEntry* e = FindAudioCodec(type);
  if (!e || channels == 0 || sampleRate == 0 || sampleRate > INT32_MAX || (bits != 8 && bits != 16))
    return false;
  ff::RegisterDevices();
  const AVCodec* codec = avcodec_find_encoder_by_name(AudioEncoderName(*e, bits));
  if (!codec) return false;
  ff::CodecPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) return false;
  av_channel_layout_default(&ctx->ch_layout, channels);
  ctx->sample_rate = int(sampleRate);
  ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  ctx->time_base = {1, int(sampleRate)};
  ctx->bit_rate = codec->id == AV_CODEC_ID_AAC ? 64000 * channels : 0;
  return avcodec_open2(ctx.get(), codec, nullptr) >= 0;
}

uint32_t WritableAudioType(uint32_t type, uint16_t channels, uint32_t sampleRate, uint16_t bits) {
  return CanEncodeAudio(type, channels, sampleRate, bits) ? type : kSowt;
}

bool VideoTypeTakesQuality(uint32_t type) {
  const VideoCodecEntry* e = FindVideoCodec(type);
  return e ? e->quality : true;
}

}  // namespace media

namespace media {

bool CodecNameForType(uint32_t type, std::string* name) {
  const unsigned tag = av_bswap32(type);  // the tables hold the bytes in file order
  const AVCodecTag* const video[] = {avformat_get_mov_video_tags(), nullptr};
  const AVCodecTag* const audio[] = {avformat_get_mov_audio_tags(), nullptr};
  AVCodecID id = av_codec_get_id(video, tag);
  if (id == AV_CODEC_ID_NONE) id = av_codec_get_id(audio, tag);
  const AVCodecDescriptor* desc = id == AV_CODEC_ID_NONE ? nullptr : avcodec_descriptor_get(id);
  if (!desc) return false;
  if (name) *name = desc->long_name ? desc->long_name : desc->name;
  return true;
}

}  // namespace media
