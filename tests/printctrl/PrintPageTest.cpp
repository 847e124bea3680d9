// Pages: template and free-layout cells, stacking, the cells' turned,
// flipped and cut pictures against ImageMagick, and the page picture.
#include <gtest/gtest.h>

#include <filesystem>

#include "FunctionImgCtrl.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintCtrlTestSupport.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/Operations.h"

namespace fs = std::filesystem;

namespace {

struct PageTest : ::testing::Test {
  void SetUp() override {
    CFunctionImgCtrl::AcquireShared();
    dir = testenv::MakeTempDir("page");
  }
  void TearDown() override {
    project.reset();
    CFunctionImgCtrl::ReleaseShared();
  }
  // A picture cell for resource `res` fitted into `cell`.
  CPrintCell Cell(int32_t res, SRect32 cell = {0, 0, 10, 10}) {
    CPrintCell c;
    c.cellRect = cell;
    c.SetResourceIndex(res, project->GetOrgImgDispSize(res), false);
    return c;
  }
  int32_t AddPicture(const std::string& name, const img::Bitmap& b) {
    return project->GetImageList()->AddFile(pctest::WritePng(b, dir / name).c_str(), false, nullptr);
  }
  fs::path dir;
  std::unique_ptr<pctest::TestProject> project = std::make_unique<pctest::TestProject>();
};

TEST_F(PageTest, TemplatePageKeepsItsCells) {
  project->UseTemplate({{10, 10, 210, 160}, {300, 10, 500, 160}});
  CPrintPage* page = project->Page(0);
  ASSERT_EQ(page->GetCellCount(), 2);
  int32_t a = AddPicture("a.png", imgtest::Scene(60, 40));
  CPrintCell c = Cell(a);
  ASSERT_EQ(page->DoAddCell(1, &c, false, false), 1);
  EXPECT_EQ(page->GetCell(1)->cellRect.left, 300);  // the cell keeps its place
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 1);
  EXPECT_EQ(page->DoAddCell(1, &c, false, false), 0);  // the same picture again
  EXPECT_EQ(page->DoAddCell(5, &c, false, false), 0);
  EXPECT_FALSE(page->IsPageEmpty());
  EXPECT_EQ(page->GetFileNumInPage(), 1);
  // Deleting only empties the cell; the entry goes with its last copy.
  ASSERT_EQ(page->DoDeleteCell(1), 1);
  EXPECT_EQ(page->GetCellCount(), 2);
  EXPECT_EQ(page->GetCell(1)->resIndex, -1);
  EXPECT_TRUE(project->GetImageList()->IsNodeEmpty(a));
  EXPECT_EQ(page->DoDeleteCell(1), 0);  // already empty
  EXPECT_TRUE(page->IsPageEmpty());
  // A picture cell of a template page never changes its stacking.
  EXPECT_EQ(page->_SetCellZorder(0, 5), 0);
}

TEST_F(PageTest, SingleCellTemplateWidensToThePrintArea) {
  project->UseTemplate({{0, 0, 700, 100}});
  const SRect32& r = project->Page(0)->GetCell(0)->cellRect;
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 590);
  EXPECT_EQ(r.top, 0);
}

TEST_F(PageTest, FreeLayoutStacksAndDeletes) {
  CPrintPage* page = project->AddFreePage();
  int32_t a = AddPicture("a.png", imgtest::Scene(60, 40));
  int32_t b = AddPicture("b.png", imgtest::Scene(40, 60, 2));
  CPrintCell ca = Cell(a, {10, 10, 70, 50}), cb = Cell(b, {100, 10, 140, 70});
  ASSERT_EQ(page->DoAddCell(0, &ca, false, false), 1);
  ASSERT_EQ(page->DoAddCell(0, &cb, false, false), 1);
  ASSERT_EQ(page->DoAddCell(0, &ca, false, false), 1);  // free pages take copies
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 2);
  EXPECT_EQ(page->GetActiveCell(), 2);
  EXPECT_EQ(page->GetCell(2)->zOrder, 3);
  // Bringing the first cell up moves the others down.
  ASSERT_EQ(page->_SetCellZorder(0, 99), 1);
  EXPECT_EQ(page->GetCell(0)->zOrder, 3);
  EXPECT_EQ(page->GetCell(1)->zOrder, 1);
  EXPECT_EQ(page->GetCell(2)->zOrder, 2);
  EXPECT_EQ(page->_SetCellZorder(0, 3), 0);
  // Deleting the top cell activates the next highest.
  ASSERT_EQ(page->DoDeleteCell(0), 1);
  EXPECT_EQ(page->GetCellCount(), 2);
  EXPECT_EQ(page->GetActiveCell(), 1);
  page->DoDeleteCell(1);
  page->DoDeleteCell(0);
  EXPECT_EQ(page->GetActiveCell(), -1);
  // The limit of cells on a free page.
  project->m_nFreePageCells = 1;
  ASSERT_EQ(page->DoAddCell(0, &ca, false, false), 1);
  EXPECT_EQ(page->DoAddCell(0, &cb, false, false), 0);
}

TEST_F(PageTest, SwapAndAutoCrop) {
  project->UseTemplate({{10, 10, 210, 160}, {300, 10, 400, 260}});
  CPrintPage* page = project->Page(0);
  int32_t a = AddPicture("a.png", imgtest::Scene(60, 40));
  int32_t b = AddPicture("b.png", imgtest::Scene(40, 60, 2));
  CPrintCell ca = Cell(a), cb = Cell(b);
  page->DoAddCell(0, &ca, false, false);
  page->DoAddCell(1, &cb, false, false);
  ASSERT_EQ(page->SetCellAutoCrop(0, true, false), 1);
  EXPECT_TRUE(page->GetCell(0)->autoCrop);
  const double z = page->GetCell(0)->zoom;
  EXPECT_EQ(page->SetCellAutoCrop(0, false, false), 1);  // already on: unchanged
  EXPECT_TRUE(page->GetCell(0)->autoCrop);
  ASSERT_EQ(page->DoSwapCell(0, 1), 1);
  EXPECT_EQ(page->GetCell(1)->resIndex, a);
  EXPECT_EQ(page->GetCell(1)->cellRect.left, 300);
  EXPECT_TRUE(page->GetCell(1)->autoCrop);
  EXPECT_NE(page->GetCell(1)->zoom, z);  // fitted again to its new place
  EXPECT_EQ(page->DoSwapCell(0, 0), 0);
  EXPECT_EQ(page->DoSwapCell(0, 7), 0);
}

// The cell's picture after a history of turns and flips equals ImageMagick's
// result of the same steps (turns counter-clockwise: -rotate -N; flip value
// 1: -flop; 0: -flip), and a zoomed cell's part equals ImageMagick's crop.
TEST_F(PageTest, CellPicturesMatchImageMagick) {
  if (!imgtest::HaveTool("convert")) GTEST_SKIP() << "ImageMagick missing";
  project->UseTemplate({{10, 10, 210, 160}});
  project->m_nParam[21] = 0;  // no automatic turn into the cell's orientation
  CPrintPage* page = project->Page(0);
  const img::Bitmap src = imgtest::Noise(61, 37);
  int32_t a = AddPicture("src.png", src);
  struct Case {
    std::vector<std::pair<char, int>> steps;
    std::vector<std::string> im;
  } cases[] = {
      {{{'r', 90}}, {"-rotate", "-90"}},
      {{{'r', 270}, {'f', 1}}, {"-rotate", "-270", "-flop"}},
      {{{'f', 1}, {'r', 90}}, {"-flop", "-rotate", "-90"}},
      {{{'r', 90}, {'f', 0}, {'r', 180}}, {"-rotate", "-90", "-flip", "-rotate", "-180"}},
      {{{'f', 0}, {'f', 1}}, {"-flip", "-flop"}},
  };
  for (const Case& k : cases) {
    CPrintCell c = Cell(a);
    for (auto [op, v] : k.steps) {
      if (op == 'r') c.DoRotate(v);
      else c.DoFlip(v == 1);
    }
    ASSERT_EQ(page->DoAddCell(0, &c, false, false), 1);
    PubImage::QelPicture* disp = page->_GetCellPic(0, 1);
    PubImage::QelPicture* print = page->GetCellPrintPic(0);
    img::Bitmap ref = pctest::Convert(dir / "src.png", k.im, dir);
    ASSERT_FALSE(ref.empty());
    EXPECT_TRUE(imgtest::SamePixels(pctest::Pixels(disp), ref)) << k.im.size();
    EXPECT_TRUE(imgtest::SamePixels(pctest::Pixels(print), ref)) << k.im.size();
    // Zoomed: the shown part, cut from the turned picture.
    page->GetCell(0)->_SetZoom(2.5);
    const SRect32 r = page->GetCell(0)->picRect;
    PubImage::QelLayer* part = CropLayer(pichandle::Pict(disp)->LayerAt(1), r, 1);
    std::vector<std::string> crop = k.im;
    for (std::string s : {std::string("-crop"),
                          std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "+" +
                              std::to_string(r.left) + "+" + std::to_string(r.top),
                          std::string("+repage")}) {
      crop.push_back(s);
    }
    EXPECT_TRUE(imgtest::SamePixels(pichandle::Lyr(part)->Pixels(), pctest::Convert(dir / "src.png", crop, dir)));
    for (auto* p : {disp, print}) p->Release();
    part->Release();
    page->DoDeleteCell(0);
    a = AddPicture("src.png", src);
  }
}

// The page picture: white paper, each cell's turned picture in its place.
TEST_F(PageTest, PagePictureDrawsTheCells) {
  project->UseTemplate({{100, 200, 140, 261}, {300, 300, 400, 350}});
  CPrintPage* page = project->Page(0);
  const img::Bitmap src = imgtest::Noise(61, 40);
  int32_t a = AddPicture("a.png", src);
  CPrintCell c = Cell(a);
  c.DoRotate(90);  // 40 x 61, the first cell's own size
  ASSERT_EQ(page->DoAddCell(0, &c, false, false), 1);
  PubImage::QelPicture* pic = page->GetPagePic(SIZE{600, 800}, false, false, nullptr, nullptr);
  ASSERT_NE(pic, nullptr);
  img::Bitmap px = pctest::Pixels(pic);
  ASSERT_EQ(px.width(), 600);
  EXPECT_TRUE(imgtest::SamePixels(img::Crop(px, 100, 200, 140, 261), img::Rotate(src, 90)));
  EXPECT_EQ(px.row(0)[0], 0xFF);
  EXPECT_EQ(px.row(320)[3 * 350], 0xFF);  // the empty cell stays paper
  pic->Release();
  // A thumbnail is kept by the page; a stopped render gives nothing.
  EXPECT_NE(page->GetThumb(60, 80), nullptr);
  EXPECT_EQ(page->GetThumb(0, 80), nullptr);
  auto stop = [](void*, int) { return 0; };
  EXPECT_EQ(page->GetPagePic(SIZE{60, 80}, false, false, stop, nullptr), nullptr);
  EXPECT_EQ(page->GetPagePic(SIZE{70000, 70000}, false, false, nullptr, nullptr), nullptr);
}

TEST_F(PageTest, DisplayPicturesOfEqualCellsAreShared) {
  project->UseTemplate({{10, 10, 110, 110}, {200, 10, 300, 110}, {400, 10, 500, 110}});
  CPrintPage* page = project->Page(0);
  int32_t a = AddPicture("a.png", imgtest::Scene(50, 50));
  CPrintCell c = Cell(a);
  page->DoAddCell(0, &c, false, false);
  page->DoAddCell(1, &c, false, false);
  page->PrepareAllDispData();
  ASSERT_TRUE(page->IsDispDataPrepared());
  PubImage::QelPicture* p0 = page->GetCellDispPic(0);
  PubImage::QelPicture* p1 = page->GetCellDispPic(1);
  EXPECT_EQ(p0, p1);
  EXPECT_EQ(page->GetCellDispPic(2), nullptr);
  page->ClearAllDispData();
  p0->Release();
  p1->Release();
}

}  // namespace
