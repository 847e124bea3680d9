// The bad-frame judge: which frames it calls torn, its refusals, and the row
// kernels agreeing across forms.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "EnhanceResult.h"
#include "FrameJudge.h"
#include "JudgeRowKernels.h"
#include "KernelForm.h"

namespace {

struct Luma {
  int width, height, pitch;
  std::vector<uint8_t> bytes;
  Luma(int w, int h, uint8_t fill = 100, int extra = 3)
      : width(w), height(h), pitch(w + extra), bytes(static_cast<size_t>(pitch) * h, fill) {}
  uint8_t& at(int r, int x) { return bytes[static_cast<size_t>(r) * pitch + x]; }
};

class FrameJudge : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(AFJ_FrameJudge_Init(nullptr, &handle_), ENH_OK); }
  void TearDown() override { AFJ_FrameJudge_Uninit(nullptr, handle_); }

  int32_t Judge(Luma& l, int format = AFJ_FMT_PLANES) {
    AfjImage image;
    image.width = l.width;
    image.height = l.height;
    image.format = format;
    image.pitch[0] = l.pitch;
    image.plane[0] = l.bytes.data();
    AfjBand band{l.height / 2, l.height / 2};
    int32_t verdict = -1;
    EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &image, &band, &verdict), ENH_OK);
    return verdict;
  }

  AFJ_HANDLE handle_ = nullptr;
};

TEST_F(FrameJudge, Verdicts) {
  struct Case {
    const char* what;
    int height;
    int row;           // row made brighter (-1 none)
    int step;          // how much brighter
    int coverPercent;  // share of the width
    bool shaded;
    int32_t verdict;
  };
  const Case cases[] = {
      {"uniform", 48, -1, 0, 0, false, AFJ_FRAME_GOOD},
      {"smooth shading", 48, -1, 0, 0, true, AFJ_FRAME_GOOD},
      {"torn row across the width", 48, 20, 8, 100, false, AFJ_FRAME_BAD},
      {"step across half the width", 48, 20, 8, 50, false, AFJ_FRAME_GOOD},
      {"large step under half the width", 48, 20, 120, 45, false, AFJ_FRAME_GOOD},
      // The first and last rows are not judged; their neighbours see half the step.
      {"step of 8 on the first row", 48, 0, 8, 100, false, AFJ_FRAME_GOOD},
      {"step of 8 on the last row", 48, 47, 8, 100, false, AFJ_FRAME_GOOD},
      {"step of 16 on the first row", 48, 0, 16, 100, false, AFJ_FRAME_BAD},
      {"height 2 judges no rows", 2, 1, 100, 100, false, AFJ_FRAME_GOOD},
      {"step of 7 stays good", 48, 20, 7, 100, false, AFJ_FRAME_GOOD},
  };
  for (const Case& c : cases) {
    Luma l(101, c.height);
    if (c.shaded)
      for (int r = 0; r < c.height; ++r)
        for (int x = 0; x < l.width; ++x) l.at(r, x) = static_cast<uint8_t>(40 + r * 3 + x);
    if (c.row >= 0)
      for (int x = 0; x * 100 < c.coverPercent * l.width; ++x) l.at(c.row, x) = static_cast<uint8_t>(100 + c.step);
    EXPECT_EQ(Judge(l), c.verdict) << c.what;
  }
}

TEST_F(FrameJudge, OneImageFormatReadsTheSamePlane) {
  Luma l(64, 32);
  for (int x = 0; x < 64; ++x) l.at(10, x) = 200;
  EXPECT_EQ(Judge(l, AFJ_FMT_IMAGE), AFJ_FRAME_BAD);
}

TEST_F(FrameJudge, RefusesBadArguments) {
  Luma l(64, 32);
  AfjImage image;
  image.width = 64;
  image.height = 32;
  image.format = AFJ_FMT_PLANES;
  image.pitch[0] = l.pitch;
  image.plane[0] = l.bytes.data();
  AfjBand band{16, 16};
  int32_t verdict = 7;
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, nullptr, &image, &band, &verdict), ENH_ERR_ARGUMENT);
  AfjImage bad = image;
  bad.format = 3;
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &bad, &band, &verdict), ENH_ERR_ARGUMENT);
  bad = image;
  bad.width = 0;
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &bad, &band, &verdict), ENH_ERR_ARGUMENT);
  bad = image;
  bad.pitch[0] = 63;
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &bad, &band, &verdict), ENH_ERR_ARGUMENT);
  bad = image;
  bad.plane[0] = nullptr;
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &bad, &band, &verdict), ENH_ERR_ARGUMENT);
  EXPECT_EQ(verdict, 7);
  // A band reaching past the frame is held inside it.
  AfjBand wide{16, 1000};
  EXPECT_EQ(AFJ_JudgeFrame(nullptr, handle_, &image, &wide, &verdict), ENH_OK);
  EXPECT_EQ(verdict, AFJ_FRAME_GOOD);
  EXPECT_EQ(AFJ_FrameJudge_Uninit(nullptr, nullptr), ENH_OK);
  EXPECT_EQ(AFJ_FrameJudge_Init(nullptr, nullptr), ENH_ERR_ARGUMENT);
}

TEST(JudgeRowKernels, FormsAgree) {
  std::mt19937 rng(5);
  for (int width : {1, 15, 16, 17, 31, 33, 100, 640, 1921, 70001}) {
    for (int trial = 0; trial < 4; ++trial) {
      std::vector<uint8_t> rows(3 * static_cast<size_t>(width));
      for (auto& b : rows) b = static_cast<uint8_t>(trial == 3 ? (rng() & 1) * 255 : rng());
      const uint8_t* up = rows.data();
      const uint8_t* mid = up + width;
      const uint8_t* down = mid + width;
      const afj::RowStats ref = afj::JudgeRowScalar(up, mid, down, 0, width);
      const afj::RowStats sse = afj::JudgeRowSSE2(up, mid, down, width);
      EXPECT_EQ(sse.sum, ref.sum) << width;
      EXPECT_EQ(sse.strong, ref.strong) << width;
      if (BestKernelForm() == KernelForm::AVX2) {
        const afj::RowStats avx = afj::JudgeRowAVX2(up, mid, down, width);
        EXPECT_EQ(avx.sum, ref.sum) << width;
        EXPECT_EQ(avx.strong, ref.strong) << width;
      }
    }
  }
}

}  // namespace
