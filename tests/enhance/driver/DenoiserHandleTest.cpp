// Denoiser handles: defaults, the level setters, type changes, the image
// helpers of the interface and the refusals of frames it cannot take.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "driver/AvdDenoiser.h"
#include "driver/AvdDenoiserHandle.h"

namespace {

TEST(DenoiserHandle, DefaultsAndSetters) {
  AVD_HANDLE h = nullptr;
  ASSERT_EQ(AVD_CreateHandle(nullptr, &h), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->type, 18);
  EXPECT_EQ(h->preFrame.frameCounter, -1);
  EXPECT_EQ(h->luma.sharpenOffset[3], -50);
  EXPECT_EQ(AVD_SetTunerLevel(h, 30, 0, AVD_TUNE_DENOISE), 100);
  EXPECT_EQ(AVD_SetTunerLevel(h, 15, 0, AVD_TUNE_NOISE), 50);
  EXPECT_EQ(AVD_SetTunerLevel(h, 0, 0, AVD_TUNE_SHARP), 50);
  EXPECT_EQ(AVD_SetTunerLevel(h, 77, 1, 3), 0);  // no such level: nothing changes
  EXPECT_EQ(h->chroma.noise, 50);
  EXPECT_EQ(AVD_SetTunerLevel(h, 40, 1, AVD_TUNE_DENOISE), 100);
  EXPECT_EQ(LI_InchingSharpLevel(h, 5, 0, 2), 0);
  EXPECT_EQ(LI_InchingSharpLevel(h, 6, 0, 2), 5);
  EXPECT_EQ(LI_InchingNoiseLevel(nullptr, 1, 0, 0), -1);

  h->preFrame.frameCounter = 4;
  EXPECT_EQ(AVD_SetDenoiserType(h, 18), 18);
  EXPECT_EQ(h->preFrame.frameCounter, 4);  // same type: state kept
  EXPECT_EQ(AVD_SetDenoiserType(h, 17), 18);
  EXPECT_EQ(h->preFrame.frameCounter, -1);  // new type: the next frame starts over

  h->preFrame.frameCounter = 4;
  AVD_SetTunerLevel(h, 0, 1, AVD_TUNE_DENOISE);
  AVD_SetTunerLevel(h, 20, 1, AVD_TUNE_DENOISE);  // chroma filtering back on
  EXPECT_EQ(h->preFrame.frameCounter, -1);
  AVD_ReleaseHandle(h);
  AVD_ReleaseHandle(nullptr);

  EXPECT_EQ(AVD_CreateHandle(nullptr, nullptr), -201);
  EXPECT_EQ(AVD_SetDenoiserType(nullptr, 3), -1);
  EXPECT_EQ(AVD_SetTunerLevel(nullptr, 3, 0, AVD_TUNE_NOISE), -1);
}

TEST(DenoiserHandle, LevelsFarOutsideTheirRangeActAsTheBound) {
  // The tuning calls store any level; the filters see at most the bound.
  auto denoise = [](int32_t level) {
    std::vector<uint8_t> buf(64 * 2 * 48);
    for (size_t i = 0; i < buf.size(); ++i) buf[i] = uint8_t(100 + (i * 37 % 23));
    AVD_HANDLE h = nullptr;
    EXPECT_EQ(AVD_CreateHandle(nullptr, &h), 0);
    AVD_SetDenoiserType(h, AVD_TYPE_VIDEO_LUMA);
    for (int32_t which : {AVD_TUNE_SHARP, AVD_TUNE_NOISE, AVD_TUNE_DENOISE}) AVD_SetTunerLevel(h, level, 0, which);
    AVD_IMAGE img;
    img.width = 64;
    img.height = 48;
    img.format = AVD_FMT_YUYV;
    img.pitch[0] = 128;
    img.plane[0] = buf.data();
    EXPECT_EQ(AVD_Denoise(h, &img, &img, nullptr, nullptr), 0);
    AVD_ReleaseHandle(h);
    return buf;
  };
  const std::vector<uint8_t> atBound = denoise(1000);
  for (int32_t level : {16842752, 1 << 30, INT32_MAX}) EXPECT_EQ(denoise(level), atBound) << level;
  const std::vector<uint8_t> below = denoise(-1000);
  EXPECT_EQ(denoise(INT32_MIN), below);
}

TEST(DenoiserHandle, TypeSevenSwitchesChromaOffForGood) {
  AVD_HANDLE h = nullptr;
  ASSERT_EQ(AVD_CreateHandle(nullptr, &h), 0);
  AVD_SetTunerLevel(h, 70, 1, AVD_TUNE_DENOISE);
  AVD_SetDenoiserType(h, 7);
  std::vector<uint8_t> buf(64 * 2 * 48, 100);
  AVD_IMAGE img;
  img.width = 64;
  img.height = 48;
  img.format = AVD_FMT_YUYV;
  img.pitch[0] = 128;
  img.plane[0] = buf.data();
  ASSERT_EQ(AVD_Denoise(h, &img, &img, nullptr, nullptr), 0);
  EXPECT_EQ(h->chroma.noise, 0);
  EXPECT_EQ(h->chroma.denoise, 0);
  AVD_SetDenoiserType(h, 18);
  EXPECT_EQ(h->chroma.denoise, 0);  // the earlier level is lost
  AVD_ReleaseHandle(h);
}

TEST(DenoiserHandle, VersionRecord) {
  const AVD_VERSION* v = AVD_GetVersion();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->major, 1);
  EXPECT_EQ(v->minor, 3);
  EXPECT_STREQ(v->version, "Video denoise - 1.3.2.1");
  EXPECT_STREQ(v->date, "02/05/2009");
}

TEST(DenoiserHandle, DepthsAndCodes) {
  EXPECT_EQ(LI_LumaDepth(640, 480), 4);
  EXPECT_EQ(LI_LumaDepth(320, 240), 2);
  EXPECT_EQ(LI_LumaDepth(321, 240), 3);
  // Depth 2: the level-3 code moves into levels 2 and 1.
  EXPECT_EQ(LI_FoldCodes(0x30333337, 2), 0x30303037u);
  EXPECT_EQ(LI_FoldCodes(0x31333737, 3), 0x31313737u);
  EXPECT_EQ(LI_FoldCodes(0x31333737, 4), 0x31333737u);
  EXPECT_EQ(LI_FoldCodes(0x31333737, 1), 0x31313131u);
}

TEST(DenoiserHandle, FormatCodes) {
  EXPECT_EQ(LI_FormatWord(AVD_FMT_YUYV), 0x20000013u);
  EXPECT_EQ(LI_FormatWord(AVD_FMT_NV12), 0x51000013u);
  EXPECT_EQ(LI_FormatWord(3), 0u);
  EXPECT_EQ(LI_FormatCode(0x22000013u), AVD_FMT_Y8U4V4);

  AVD_IMAGE ext;
  ext.width = 10;
  ext.height = 4;
  ext.format = AVD_FMT_YUV444_16;
  ext.pitch[0] = 64;
  uint8_t buf[256];
  ext.plane[0] = buf;
  AvdImageRecord in;
  ASSERT_EQ(LI_TransToInterior(&ext, &in), 0);
  EXPECT_EQ(in.pitch[0], 32);  // pitches count samples inside
  AVD_IMAGE back;
  LI_TransToExterior(&in, &back);
  EXPECT_EQ(back.pitch[0], 64);
  EXPECT_EQ(back.format, AVD_FMT_YUV444_16);

  AVD_IMAGE img;
  EXPECT_EQ(AVD_CreateImgData(nullptr, &img, 3, 16, 16), -101);
  ASSERT_EQ(AVD_CreateImgData(nullptr, &img, AVD_FMT_YUYV, 20, 6), 0);
  EXPECT_EQ(img.format, AVD_FMT_YUYV);
  EXPECT_GE(img.pitch[0], 40);
  ASSERT_NE(img.plane[0], nullptr);
  std::memset(img.plane[0], 1, static_cast<size_t>(img.pitch[0]) * 6);
  EXPECT_EQ(AVD_ReleaseImgData(nullptr, &img), 0);
  EXPECT_EQ(img.plane[0], nullptr);
}

AVD_IMAGE Yuyv(std::vector<uint8_t>& buf, int32_t w, int32_t h) {
  AVD_IMAGE img;
  img.width = w;
  img.height = h;
  img.format = AVD_FMT_YUYV;
  img.pitch[0] = 2 * w;
  buf.assign(static_cast<size_t>(2 * w) * h, 0);
  for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<uint8_t>(i * 7);
  img.plane[0] = buf.data();
  return img;
}

TEST(DenoiserHandle, RefusesFramesItCannotTake) {
  AVD_HANDLE h = nullptr;
  ASSERT_EQ(AVD_CreateHandle(nullptr, &h), 0);
  std::vector<uint8_t> a, b;
  AVD_IMAGE in = Yuyv(a, 64, 48), out = Yuyv(b, 64, 40);
  const std::vector<uint8_t> keepA = a, keepB = b;
  EXPECT_EQ(AVD_Denoise(h, &in, &out, nullptr, nullptr), -2);  // sizes differ
  out = Yuyv(b, 64, 48);
  out.format = AVD_FMT_UYVY;
  EXPECT_EQ(AVD_Denoise(h, &in, &out, nullptr, nullptr), -2);  // formats differ
  EXPECT_EQ(AVD_Denoise(nullptr, &in, &in, nullptr, nullptr), -2);
  EXPECT_EQ(AVD_Denoise(h, nullptr, &in, nullptr, nullptr), -2);
  in.format = 3;
  EXPECT_EQ(AVD_Denoise(h, &in, &in, nullptr, nullptr), -101);
  EXPECT_EQ(a, keepA);

  // Too small for the pyramid, or rows shorter than the width: untouched.
  for (auto [w, hh] : {std::pair{2, 2}, std::pair{8, 8}, std::pair{14, 64}, std::pair{64, 15}, std::pair{31, 15}}) {
    AVD_IMAGE small = Yuyv(a, w, hh);
    const std::vector<uint8_t> before = a;
    EXPECT_EQ(AVD_Denoise(h, &small, &small, nullptr, nullptr), -2) << w << "x" << hh;
    EXPECT_EQ(a, before);
  }
  AVD_IMAGE narrow = Yuyv(a, 64, 48);
  narrow.pitch[0] = 100;
  EXPECT_EQ(AVD_Denoise(h, &narrow, &narrow, nullptr, nullptr), -2);
  AVD_ReleaseHandle(h);
}

}  // namespace
