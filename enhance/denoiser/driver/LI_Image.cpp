// External image descriptors (format codes, pitches in bytes) mapped onto the
// core's internal ones (format words, pitches in samples), and the image
// operations of the public interface.

#include <cstring>
#include <iterator>

#include "driver/AvdDenoiserHandle.h"
#include "image/AvdImage.h"

namespace {
struct FormatPair {
  int32_t code;
  uint32_t word;
};
constexpr FormatPair kFormats[] = {
    {AVD_FMT_BGR24, 0x00500013},  {AVD_FMT_UYVY, 0x21000013},    {AVD_FMT_YUV444, 0x00000013},
    {AVD_FMT_YUV444_16, 0x00002023}, {AVD_FMT_YUV_CHUNKY, 0x00200013}, {AVD_FMT_NV12, 0x51000013},
    {AVD_FMT_YUV422P, 0x30000013}, {AVD_FMT_YUV420P, 0x50000013}, {AVD_FMT_YUYV, 0x20000013},
    {AVD_FMT_Y8U4V4, 0x22000013},
};
static_assert(std::size(kFormats) == 10, "one row for each format code");
}  // namespace

uint32_t LI_FormatWord(int32_t code) {
  for (const FormatPair& f : kFormats)
    if (f.code == code) return f.word;
  return 0;
}

int32_t LI_FormatCode(uint32_t word) {
  for (const FormatPair& f : kFormats)
    if (f.word == word) return f.code;
  return 0;
}

int32_t LI_TransToInterior(const AVD_IMAGE* ext, AvdImageRecord* in) {
  if (!ext || !in) return ENH_ERR_ARGUMENT;
  *in = AvdImageRecord();
  in->width = ext->width;
  in->height = ext->height;
  in->format = LI_FormatWord(ext->format);
  const int32_t bytes = in->format ? AvdFmtBytes(in->format) : 1;
  if (AvdFmtPlanar(in->format) && ext->plane[0]) {
    const int32_t channels = AvdFmtChannels(in->format);
    for (int i = 0; i < 4; ++i) {
      in->pitch[i] = i < channels ? ext->pitch[i] / bytes : ext->pitch[i];
      in->plane[i] = ext->plane[i];
    }
  } else {
    in->pitch[0] = ext->pitch[0] / bytes;
    in->buffer = ext->plane[0];
  }
  return 0;
}

int32_t LI_TransToExterior(const AvdImageRecord* in, AVD_IMAGE* ext) {
  if (!ext || !in) return ENH_ERR_ARGUMENT;
  *ext = AVD_IMAGE();
  ext->width = in->width;
  ext->height = in->height;
  ext->format = LI_FormatCode(in->format);
  const int32_t bytes = in->format ? AvdFmtBytes(in->format) : 1;
  if (in->plane[0]) {
    const int32_t channels = AvdFmtChannels(in->format);
    for (int i = 0; i < 4; ++i) {
      ext->pitch[i] = i < channels ? in->pitch[i] * bytes : in->pitch[i];
      ext->plane[i] = in->plane[i];
    }
  } else {
    ext->pitch[0] = in->pitch[0] * bytes;
    ext->plane[0] = in->buffer;
  }
  return 0;
}

int32_t LI_CreateImgData(MHandle memory, AVD_IMAGE* out, int32_t code, int32_t width, int32_t height) {
  if (!out) return ENH_ERR_ARGUMENT;
  const uint32_t word = LI_FormatWord(code);
  if (!word) return ENH_ERR_FORMAT;
  AvdImageRecord img;
  int32_t rc = avdImgCreate(memory, &img, word, width, height);
  if (rc) return rc;
  rc = avdImgChunky2Plannar(&img);
  if (rc) {
    avdImgRelease(memory, &img);
    return rc;
  }
  LI_TransToExterior(&img, out);
  out->format = code;
  return 0;
}

int32_t LI_ReleaseImgData(MHandle memory, AVD_IMAGE* image) {
  if (!image) return ENH_ERR_ARGUMENT;
  AvdImageRecord img;
  img.buffer = image->plane[0];
  avdImgRelease(memory, &img);
  *image = AVD_IMAGE();
  return 0;
}

int32_t LI_ImgCpy(const AVD_IMAGE* src, AVD_IMAGE* dst) {
  AvdImageRecord a, b;
  if (LI_TransToInterior(src, &a) || LI_TransToInterior(dst, &b)) return ENH_ERR_ARGUMENT;
  return avdImgCpy(&a, &b);
}

int32_t LI_ImgOffSet(AVD_IMAGE* image, int32_t x, int32_t y) {
  AvdImageRecord a;
  if (LI_TransToInterior(image, &a)) return ENH_ERR_ARGUMENT;
  int32_t rc = avdImgOffset(&a, x, y);
  if (rc) return rc;
  const int32_t code = image->format;
  LI_TransToExterior(&a, image);
  image->format = code;
  return 0;
}
