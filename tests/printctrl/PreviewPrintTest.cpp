// What the preview shows is what prints: cells swapped and a picture panned
// with the pointer, then printed through the print manager over the fake
// print system; the PDF's page, rendered at 72 dpi, shows them so.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "MediaTools.h"
#include "PreviewTestSupport.h"
#include "PrintFixture.h"
#include "PrintPage.h"
#include "PrintRequest.h"
#include "img/ImageFile.h"
#include "qel/QelHeadless.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

// Four cells of 2 x 3 inches less a quarter inch, on the current paper.
class FourCellManager : public CZylPrintManager {
 public:
  using CZylPrintManager::CZylPrintManager;
  CTemplate* GetTemplateByName(const WCHAR*, const WCHAR*, int32_t, int32_t* found) override {
    int32_t w = 0, h = 0;
    GetPaperSize(&w, &h);
    auto* t = new CTemplate();
    t->SetRecommendedScaling(1.0);
    t->SetBrandName(u"Photo");
    t->SetTemplateName(u"Four");
    const int32_t g = w / 32;
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 2; ++c)
        t->AddCell(SRect32{g + c * w / 2, g + r * h / 2, (c + 1) * w / 2 - g, (r + 1) * h / 2 - g});
    if (found) *found = 1;
    return t;
  }
  int32_t GetCurrentTemplateName(WCHAR* b, WCHAR* n) override {
    if (b) std::u16string(u"Photo").copy(b, 5), b[5] = 0;
    if (n) std::u16string(u"Four").copy(n, 4), n[4] = 0;
    return 1;
  }
};

img::Bitmap RenderPdf(const fs::path& pdf, const fs::path& dir) {
  const fs::path base = dir / "page";
  printtest::Run("pdftoppm -r 72 -f 1 -l 1 -singlefile -png " + mediatools::Quote(pdf) + " " + mediatools::Quote(base));
  img::Decoded d;
  if (img::DecodeFile(base.string() + ".png", img::DecodeOptions{}, d) != img::Status::kOk) return {};
  return d.pixels;
}

struct PreviewPrintTest : ::testing::Test {
  void SetUp() override {
    if (!printtest::HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    printers = printtest::MakePrinters();
    pm = new FourCellManager(printers.system);
    pm->AddRef();
    ASSERT_EQ(pm->SelectPaperName(u"4 x 6 in"), 1);
    host = std::make_unique<pvtest::PreviewHost>(false);
    ASSERT_EQ(host->Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(pm))), 1);
    ASSERT_EQ(host->Cmd(11), 1);
    host->Cmd(2, 13, nullptr);  // neither copy buttons nor attention marks over the pictures
    host->Cmd(2, 23, nullptr);
    host->Cmd(2, 21, nullptr);  // photos keep the way they were taken
    int px = 0, py = 0;
    host->Project()->GetPrintPixel(px, py);
    ASSERT_GT(px, 0);
    dpi = px;
  }
  void TearDown() override {
    host.reset();
    if (pm) pm->Release();
  }
  void Add(const img::Bitmap& b, const std::string& name) {
    const std::u16string p = host->Photo(name, b);
    ASSERT_EQ(host->Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1))), 1);
  }
  img::Bitmap PrintPage() {
    int32_t* cancel = nullptr;
    tagDOPRINTINFO info{PRTC_PRINT_PAGES, 1, 1, 0, nullptr, nullptr, 0, 0};
    EXPECT_EQ(host->Cmd(13, reinterpret_cast<intptr_t>(&info), &cancel), 1) << pm->LastJobError();
    for (auto& e : fs::directory_iterator(printers.spool)) {
      if (e.path().extension() == ".pdf") return RenderPdf(e.path(), host->dir);
    }
    ADD_FAILURE() << "no PDF in the spool";
    return {};
  }

  printtest::Printers printers;
  FourCellManager* pm = nullptr;
  std::unique_ptr<pvtest::PreviewHost> host;
  int dpi = 0;
};

}  // namespace

TEST_F(PreviewPrintTest, CellsSwappedWithThePointerPrintSwapped) {
  const uint32_t colours[] = {0xd01c28, 0x26a269, 0x1c71d8, 0xf5c211};
  for (int i = 0; i < 4; ++i) Add(pvtest::Solid(300, 400, colours[i]), "c" + std::to_string(i) + ".png");
  host->Drag(host->CellCentre(0), host->CellCentre(3));
  const img::Bitmap page = PrintPage();
  ASSERT_EQ(page.width(), 288);
  ASSERT_EQ(page.height(), 432);
  auto near = [](uint32_t a, uint32_t b) {
    for (int s : {0, 8, 16})
      if (std::abs(int((a >> s) & 0xff) - int((b >> s) & 0xff)) > 16) return false;
    return true;
  };
  EXPECT_TRUE(near(pvtest::At(page, 72, 108), colours[3])) << std::hex << pvtest::At(page, 72, 108);
  EXPECT_TRUE(near(pvtest::At(page, 216, 108), colours[1]));
  EXPECT_TRUE(near(pvtest::At(page, 72, 324), colours[2]));
  EXPECT_TRUE(near(pvtest::At(page, 216, 324), colours[0])) << std::hex << pvtest::At(page, 216, 324);
}

// A zoomed picture panned with the pointer, the preview at 72 dpi: the
// photo's marker stands on the printed page where the preview shows it,
// within one pixel.
TEST_F(PreviewPrintTest, APannedCellPrintsTheRectangleThePreviewShows) {
  Add(pvtest::Solid(300, 400, 0x808890, {180, 150, 204, 174}), "marker.png");
  CPrintPage* page = host->Page();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->DoZoomCellPic(0, 1));
  ASSERT_TRUE(page->DoZoomCellPic(0, 1));
  double z = 72.0 / dpi;
  ASSERT_EQ(host->Cmd(3, 30, &z), 1);
  const SRect32 before = page->GetCell(0)->picRect;
  const POINT from = host->CellCentre(0);
  host->Drag(from, POINT{from.x - 17, from.y + 9}, 5);
  const SRect32 after = page->GetCell(0)->picRect;
  ASSERT_FALSE(before.left == after.left && before.top == after.top) << "the drag panned nothing";

  const std::string shot = (host->dir / "preview.png").string();
  ASSERT_TRUE(hl::RenderPng(host->window, shot));
  cairo_surface_t* s = cairo_image_surface_create_from_png(shot.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  const pvtest::Centre shown = pvtest::DarkCentre(s, host->Preview()->CellRect(0));
  cairo_surface_destroy(s);
  ASSERT_GT(shown.count, 0u) << "the marker is not in the preview";
  const SRect32 paper = host->Preview()->PaperRect();
  ASSERT_EQ(paper.right - paper.left, 288);

  const img::Bitmap printed = PrintPage();
  const pvtest::Centre out = pvtest::DarkCentre(printed, SRect32{0, 0, printed.width(), printed.height()});
  ASSERT_GT(out.count, 0u) << "the marker is not on the printed page";
  EXPECT_NEAR(shown.x - paper.left, out.x, 1.0);
  EXPECT_NEAR(shown.y - paper.top, out.y, 1.0);
}
