// Command 13 printing pages through the print manager, as the manager sees
// the job (its calls) and the host hears of it (notifications): page ranges,
// progress, cancel, and failures that must not look like success.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>

#include "ControlHost.h"
#include "PrintPage.h"
#include "TestPictures.h"

namespace {

using pctest::ElementHost;

struct PrintJobTest : ElementHost {
  // Three photos, two copies each: six cells on two pages of four.
  void SixCells() {
    Attach();
    for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_EQ(AddPhoto(Photo(n, imgtest::Scene(60, 40))), 1);
    ASSERT_EQ(Cmd(34, 2), 1);
    ASSERT_EQ(project->GetPageCount(), 2);
  }
  static tagDOPRINTINFO Pages(int32_t first, int32_t last) { return tagDOPRINTINFO{PRTC_PRINT_PAGES, first, last, 0, nullptr, nullptr, 0, 0}; }
};

TEST_F(PrintJobTest, PageRangesPrintTheRightPages) {
  SixCells();
  const std::u16string label = u"Holiday";
  ASSERT_EQ(Cmd(2, 203, label.c_str()), 1);
  struct Case {
    int32_t first, last;
    intptr_t result;
    int pages, layers;
  } cases[] = {
      {1, 0, 1, 2, 6},    // last 0: to the end
      {0, 2, 1, 2, 6},    // first 0: from the start
      {-4, 99, 1, 2, 6},  // out of range on both sides
      {2, 2, 1, 1, 2},
      {1, 1, 1, 1, 4},
      {2, -1, 1, 1, 2},   // negative last: to the end
      {3, 0, 0, 0, 0},    // first past the end
      {2, 1, 0, 0, 0},    // last before first
  };
  for (const Case& c : cases) {
    manager->calls.clear();
    EXPECT_EQ(Print(Pages(c.first, c.last)), c.result) << c.first << ".." << c.last;
    EXPECT_EQ(manager->Count("page"), c.pages) << c.first << ".." << c.last;
    EXPECT_EQ(manager->Count("end page"), c.pages);
    EXPECT_EQ(manager->Count("layer"), c.layers);
    if (c.result) {
      EXPECT_EQ(manager->calls.front(), "start Holiday");
      EXPECT_EQ(manager->calls.back(), "end 0");
      EXPECT_EQ(Codes().front(), PRTC_PRINT_START);
      EXPECT_EQ(Data(PRTC_PRINT_START), std::vector<intptr_t>{1});
      EXPECT_EQ(Codes().back(), PRTC_PRINT_END);
    } else {
      EXPECT_TRUE(manager->calls.empty());
      EXPECT_TRUE(got.empty());
    }
  }
}

// Every percentage once, rising, 100 last; each layer fills its place.
TEST_F(PrintJobTest, ProgressAndLayers) {
  SixCells();
  ASSERT_EQ(Print(Pages(1, 0)), 1);
  std::vector<intptr_t> want(101);
  std::iota(want.begin(), want.end(), 0);
  EXPECT_EQ(Data(PRTC_PROGRESS), want);
  for (const std::string& call : manager->calls) {
    if (call.rfind("layer", 0) != 0) continue;
    SRect32 r{};
    int w = 0, h = 0;
    ASSERT_EQ(sscanf(call.c_str(), "layer %d,%d,%d,%d %dx%d", &r.left, &r.top, &r.right, &r.bottom, &w, &h), 6) << call;
    // Inside one template cell; the layer is the shown part, shape kept.
    bool inCell = false;
    for (const SRect32& c : manager->cells)
      inCell |= r.left >= c.left && r.top >= c.top && r.right <= c.right && r.bottom <= c.bottom;
    EXPECT_TRUE(inCell) << call;
    EXPECT_NEAR(double(w) / h, double(r.right - r.left) / (r.bottom - r.top), 0.05) << call;
  }
}

// With three cells each owns a third of the percentages: 0 to 32 while the
// first cell prints, 33 to 65 the second, 66 to 99 the third, then 100.
TEST_F(PrintJobTest, ThreeCellsShareTheProgress) {
  Attach();
  for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_EQ(AddPhoto(Photo(n, imgtest::Scene(60, 40))), 1);
  std::vector<std::pair<intptr_t, int>> heard;  // value, layers printed by then
  onNotify = [&](int32_t code, intptr_t data) {
    if (code == PRTC_PROGRESS) heard.emplace_back(data, manager->Count("layer"));
  };
  ASSERT_EQ(Print(Pages(1, 0)), 1);
  ASSERT_EQ(heard.size(), 101u);
  for (auto [v, layers] : heard) {
    const int cell = v < 33 ? 0 : v < 66 ? 1 : v < 100 ? 2 : 3;  // the cell that owns v
    EXPECT_TRUE(layers == cell || layers == cell + 1) << v << " heard after " << layers << " layers";
  }
  EXPECT_EQ(heard[33].second, 1);
  EXPECT_EQ(heard[66].second, 2);
  EXPECT_EQ(heard[100].second, 3);
}

TEST_F(PrintJobTest, CancelDuringProgressEndsTheJobCancelled) {
  SixCells();
  int heard = 0;
  onNotify = [&](int32_t code, intptr_t data) {
    if (code == PRTC_PROGRESS && data >= 20) {
      ++heard;
      *cancel = 1;
    }
  };
  EXPECT_EQ(Print(Pages(1, 0)), 0);
  EXPECT_EQ(heard, 1);  // nothing more is posted once cancelled
  EXPECT_EQ(manager->calls.back(), "end 1");
  EXPECT_EQ(manager->Count("page"), 1);  // the page in progress is closed, no other starts
  EXPECT_EQ(manager->Count("end page"), 1);
  EXPECT_LE(manager->Count("layer"), 2);
  EXPECT_TRUE(Data(PRTC_PRINT_END).empty());
  // The next job starts with the flag cleared.
  onNotify = nullptr;
  manager->calls.clear();
  EXPECT_EQ(Print(Pages(1, 0)), 1);
  EXPECT_EQ(manager->Count("layer"), 6);
}

TEST_F(PrintJobTest, NothingToPrintStartsNoJob) {
  int32_t* flag = nullptr;
  tagDOPRINTINFO info = Pages(1, 0);
  EXPECT_EQ(Cmd(13, reinterpret_cast<intptr_t>(&info), &flag), 0);  // no manager
  Attach();
  EXPECT_EQ(Print(Pages(1, 0)), 0);  // no picture
  EXPECT_EQ(Cmd(13, 0, &flag), 0);
  EXPECT_EQ(Cmd(13, reinterpret_cast<intptr_t>(&info), nullptr), 0);
  EXPECT_EQ(Print(tagDOPRINTINFO{7, 1, 0, 0, nullptr, nullptr, 0, 0}), 0);
  EXPECT_EQ(Print(tagDOPRINTINFO{PRTC_PRINT_NOTHING, 1, 0, 0, nullptr, nullptr, 0, 0}), 1);
  EXPECT_TRUE(manager->calls.empty());
  EXPECT_TRUE(got.empty());
  // Left out of printing, a picture still counts, but never reaches paper.
  ASSERT_EQ(AddPhoto(Photo("a.png", imgtest::Scene(60, 40))), 1);
  ASSERT_EQ(Action(32, -1), 1);
  EXPECT_EQ(Print(Pages(1, 0)), 1);
  EXPECT_EQ(manager->Count("layer"), 0);
}

TEST_F(PrintJobTest, FailuresAreReported) {
  SixCells();
  // The print system refuses the finished job: an error, no "finished".
  manager->endAnswer = 0;
  EXPECT_EQ(Print(Pages(1, 0)), 0);
  EXPECT_EQ(ErrorCodes(), std::vector<int32_t>{PRTC_ERR_JOB_REFUSED});
  EXPECT_TRUE(Data(PRTC_PRINT_END).empty());
  manager->endAnswer = 1;
  // A job that cannot start sends nothing.
  manager->startAnswer = 0;
  EXPECT_EQ(Print(Pages(1, 0)), 0);
  EXPECT_TRUE(got.empty());
  manager->startAnswer = 1;
  // A photo gone from disk, and not even shown any more, skips its cells;
  // the rest print.
  std::filesystem::remove(dir / "b.png");
  const long b = project->GetImageList()->_FindFile(pctest::U16(dir / "b.png").c_str(), -1);
  ASSERT_GE(b, 0);
  project->GetImageList()->FreeDispPic(b);
  project->GetImageList()->ClearOrgPics();
  manager->calls.clear();
  EXPECT_EQ(Print(Pages(1, 0)), 1);
  EXPECT_EQ(manager->Count("layer"), 4);
  EXPECT_EQ(ErrorCodes(), (std::vector<int32_t>{PRTC_ERR_CELL_PICTURE, PRTC_ERR_CELL_PICTURE}));
}

// While a job runs the host may ask, but not change the pages.
TEST_F(PrintJobTest, PagesStayWhilePrinting) {
  SixCells();
  intptr_t nested = -1, count = -1, removed = -1;
  onNotify = [&](int32_t code, intptr_t data) {
    if (code != PRTC_PROGRESS || data != 50) return;
    tagDOPRINTINFO again = Pages(1, 0);
    int32_t* f = nullptr;
    nested = Cmd(13, reinterpret_cast<intptr_t>(&again), &f);
    count = Cmd(6);
    removed = Action(12);
  };
  EXPECT_EQ(Print(Pages(1, 0)), 1);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(removed, 0);
  EXPECT_EQ(project->GetPageCount(), 2);
  EXPECT_EQ(manager->Count("layer"), 6);
}

// A template cell shaped by a mask (black: the photo shows, white: paper)
// prints in the mask's shape, neither stretched nor squeezed: the mask here
// is taller than wide, and larger than the photo's pixels in the cell.
class MaskManager : public pctest::RecordingPrintManager {
 public:
  std::u16string mask;
  CTemplate* GetTemplateByName(const WCHAR*, const WCHAR*, int, int*) override {
    auto* t = new CTemplate();
    t->SetRecommendedScaling(1.0);
    t->SetBrandName(brand.c_str());
    t->SetTemplateName(name.c_str());
    t->AddCell(cells[0], mask.c_str());
    return t;
  }
};

TEST_F(PrintJobTest, MaskedCellsKeepTheMasksShape) {
  auto* masked = new MaskManager();
  masked->AddRef();
  masked->cells = {{10, 10, 290, 390}};
  img::Bitmap m = img::Bitmap::Filled(560, 760, 0);
  for (int32_t y = 0; y < 760; ++y) std::fill_n(m.mutable_row(y) + 3 * 280, 3 * 280, uint8_t(255));
  masked->mask = pctest::WritePng(m, dir / "mask.png");
  ASSERT_EQ(Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(masked))), 1);
  ASSERT_EQ(Cmd(11), 1);
  img::Bitmap red = img::Bitmap::Filled(60, 40, 0);
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 60; ++x) red.mutable_row(y)[3 * x + 2] = 255;
  ASSERT_EQ(AddPhoto(Photo("red.png", red)), 1);

  ASSERT_EQ(Print(Pages(1, 0)), 1);
  EXPECT_EQ(masked->Count("layer 10,10,290,390 280x380"), 1);  // the whole cell, reduced to its pixels
  // The page as printed: the left half of the cell red from top to bottom,
  // the right half paper.
  PubImage::QelPicture* pic = project->GetPage(0)->GetPagePic(SIZE{600, 800}, true, true, nullptr, nullptr);
  ASSERT_NE(pic, nullptr);
  const img::Bitmap px = pctest::Pixels(pic);
  pic->Release();
  int wrong = 0;
  for (int32_t y = 12; y < 388; ++y)
    for (int32_t x = 12; x < 288; ++x) {
      if (x >= 146 && x < 154) continue;  // the mask's edge
      const uint8_t* p = px.row(y) + 3 * x;
      const bool isRed = p[2] > 200 && p[1] < 60 && p[0] < 60, isWhite = p[0] > 240 && p[1] > 240 && p[2] > 240;
      wrong += (x < 150 ? isRed : isWhite) ? 0 : 1;
    }
  EXPECT_EQ(wrong, 0);
  ASSERT_EQ(Cmd(0, 0), 1);
  masked->Release();
}

}  // namespace
