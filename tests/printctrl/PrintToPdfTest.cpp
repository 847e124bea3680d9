// The whole road from the control to the printer's spool: the print manager
// over the fake print system writes a PDF, checked with poppler's tools (page
// count and paper size, and the pixels of each cell at 72 dpi), and a still
// image of the same page shows the same pixels.
#include <gtest/gtest.h>
#include <glib.h>

#include <filesystem>
#include <fstream>

#include "ControlHost.h"
#include "MediaTools.h"
#include "PrintFixture.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"

namespace fs = std::filesystem;

namespace {

// One cell filling the whole page of the current paper.
class OneCellManager : public CZylPrintManager {
 public:
  using CZylPrintManager::CZylPrintManager;
  CTemplate* GetTemplateByName(const WCHAR*, const WCHAR*, int32_t, int32_t* found) override {
    int32_t w = 0, h = 0;
    GetPaperSize(&w, &h);
    auto* t = new CTemplate();
    t->SetRecommendedScaling(1.0);
    t->SetBrandName(u"Photo");
    t->SetTemplateName(u"Full page");
    t->AddCell(SRect32{0, 0, w, h});
    if (found) *found = 1;
    return t;
  }
  int32_t GetCurrentTemplateName(WCHAR* b, WCHAR* n) override {
    if (b) std::u16string(u"Photo").copy(b, 5), b[5] = 0;
    if (n) std::u16string(u"Full page").copy(n, 9), n[9] = 0;
    return 1;
  }
};

// Red, green and blue bands from left to right (the bitmap keeps B, G, R).
img::Bitmap Bands(int32_t w, int32_t h) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = b.mutable_row(y) + size_t(x) * 3;
      const int band = x * 3 / w;
      p[0] = band == 2 ? 255 : 0, p[1] = band == 1 ? 255 : 0, p[2] = band == 0 ? 255 : 0;
    }
  return b;
}

enum Colour { kRed, kGreen, kBlue, kWhite };

// Share of the pixels in rows [top, bottom) and columns [left, right) of a
// page (3 pixels in from the sides when not given) that are not `c`.
double Mismatch(const img::Bitmap& page, int top, int bottom, Colour c, int left = 3, int right = -3) {
  if (right <= 0) right += page.width();
  int bad = 0, all = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x, ++all) {
      const uint8_t* p = page.row(y) + size_t(x) * 3;
      const int r = p[2], g = p[1], b = p[0];
      const bool ok = c == kRed     ? r > 200 && g < 60 && b < 60
                      : c == kGreen ? g > 200 && r < 60 && b < 60
                      : c == kBlue  ? b > 200 && r < 60 && g < 60
                                    : r > 240 && g > 240 && b > 240;
      bad += ok ? 0 : 1;
    }
  return all ? double(bad) / all : 1.0;
}

img::Bitmap RenderPdf(const fs::path& pdf, int page, const fs::path& dir) {
  const fs::path base = dir / ("page" + std::to_string(page));
  printtest::Run("pdftoppm -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) + " -singlefile " +
                 mediatools::Quote(pdf) + " " + mediatools::Quote(base));
  img::Decoded d;
  if (img::DecodeFile(base.string() + ".ppm", img::DecodeOptions{}, d) != img::Status::kOk) {
    // Not every build reads PPM: ask ImageMagick for a PNG.
    printtest::Run("convert " + mediatools::Quote(base.string() + ".ppm") + " " + mediatools::Quote(base.string() + ".png"));
    if (img::DecodeFile(base.string() + ".png", img::DecodeOptions{}, d) != img::Status::kOk) return {};
  }
  return d.pixels;
}

int LeftoverJobs() {
  int n = 0;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(g_get_tmp_dir(), ec))
    if (e.path().filename().string().rfind("dunsellow-print-", 0) == 0) ++n;
  return n;
}

struct PrintToPdfTest : pctest::ElementHost {
  void SetUp() override {
    if (!printtest::HaveTool("pdfinfo") || !printtest::HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    ElementHost::SetUp();
    printers = printtest::MakePrinters();
    pm = new OneCellManager(printers.system);
    pm->AddRef();
    ASSERT_EQ(pm->SelectPaperName(u"4 x 6 in"), 1);
    ASSERT_EQ(Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(pm))), 1);
    ASSERT_EQ(Cmd(11), 1);
    ASSERT_EQ(Cmd(2, 21, nullptr), 1);  // photos keep the way they were taken
    const std::u16string label = u"Album";
    ASSERT_EQ(Cmd(2, 203, label.c_str()), 1);
  }
  void TearDown() override {
    ElementHost::TearDown();
    element = nullptr;
    if (pm) pm->Release();
  }
  std::vector<fs::path> Pdfs() const {
    std::vector<fs::path> out;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(printers.spool, ec))
      if (e.path().extension() == ".pdf") out.push_back(e.path());
    return out;
  }
  static tagDOPRINTINFO All() { return tagDOPRINTINFO{PRTC_PRINT_PAGES, 1, 0, 0, nullptr, nullptr, 0, 0}; }

  printtest::Printers printers;
  OneCellManager* pm = nullptr;
};

// Page 1: a wide photo cropped to the portrait cell shows its middle band;
// page 2: the same photo turned a quarter to the left shows the blue band on
// top, the green one in the middle and the red one at the bottom.
TEST_F(PrintToPdfTest, EachPhotoPrintsTurnedAndCroppedAsItsCellShowsIt) {
  const std::u16string photo = Photo("bands.png", Bands(600, 200));
  ASSERT_EQ(AddPhoto(photo), 1);
  ASSERT_EQ(AddPhoto(Photo("bands2.png", Bands(600, 200))), 1);
  ASSERT_EQ(project->GetPageCount(), 2);
  ASSERT_EQ(Cmd(7, 2), 0);
  ASSERT_EQ(Action(4), 1);
  ASSERT_EQ(Print(All()), 1) << pm->LastJobError();
  ASSERT_EQ(Pdfs().size(), 1u);
  const fs::path pdf = Pdfs()[0];
  EXPECT_EQ(pdf.filename(), "1-Album.pdf");
  EXPECT_EQ(printtest::PdfInfo(pdf, "Pages"), "2");
  EXPECT_EQ(printtest::PdfInfo(pdf, "Page size").substr(0, 13), "288 x 432 pts");
  const img::Bitmap one = RenderPdf(pdf, 1, dir), two = RenderPdf(pdf, 2, dir);
  ASSERT_EQ(one.width(), 288);
  ASSERT_EQ(two.height(), 432);
  EXPECT_LT(Mismatch(one, 3, 429, kGreen), 0.01);
  EXPECT_LT(Mismatch(two, 3, 69, kBlue), 0.02);
  EXPECT_LT(Mismatch(two, 75, 357, kGreen), 0.02);
  EXPECT_LT(Mismatch(two, 363, 429, kRed), 0.02);

  // The still image of page 2 at 72 dpi is the printed page.
  const fs::path still = dir / "still.png";
  const std::u16string stillPath = qel::ToU16(still.string());
  ASSERT_EQ(Print(tagDOPRINTINFO{PRTC_PRINT_STILL, 2, 2, 0, stillPath.c_str(), u"png", 72, 0}), 1);
  img::Decoded d;
  ASSERT_EQ(img::DecodeFile(still.string(), img::DecodeOptions{}, d), img::Status::kOk);
  ASSERT_EQ(d.pixels.width(), 288);
  ASSERT_EQ(d.pixels.height(), 432);
  EXPECT_LT(Mismatch(d.pixels, 3, 69, kBlue), 0.02);
  EXPECT_LT(Mismatch(d.pixels, 75, 357, kGreen), 0.02);
  EXPECT_LT(Mismatch(d.pixels, 363, 429, kRed), 0.02);
}

// The user's offset (half an inch to the right) moves the printed page and
// its still image alike.
TEST_F(PrintToPdfTest, TheUsersOffsetMovesPrintAndStillImageAlike) {
  ASSERT_EQ(AddPhoto(Photo("bands.png", Bands(600, 200))), 1);
  pm->SetMargin(32, 0, 0);  // 1/64 inch
  Cmd(29);
  ASSERT_EQ(Print(All()), 1) << pm->LastJobError();
  ASSERT_EQ(Pdfs().size(), 1u);
  const img::Bitmap printed = RenderPdf(Pdfs()[0], 1, dir);
  const fs::path still = dir / "moved.png";
  const std::u16string stillPath = qel::ToU16(still.string());
  ASSERT_EQ(Print(tagDOPRINTINFO{PRTC_PRINT_STILL, 1, 1, 0, stillPath.c_str(), u"png", 72, 0}), 1);
  img::Decoded d;
  ASSERT_EQ(img::DecodeFile(still.string(), img::DecodeOptions{}, d), img::Status::kOk);
  for (const img::Bitmap* page : {&printed, static_cast<const img::Bitmap*>(&d.pixels)}) {
    ASSERT_EQ(page->width(), 288);
    EXPECT_LT(Mismatch(*page, 3, 429, kWhite, 0, 34), 0.01);
    EXPECT_LT(Mismatch(*page, 3, 429, kGreen, 38, 288), 0.01);
  }
}

TEST_F(PrintToPdfTest, ThreePhotosTwoCopiesEachGiveSixPages) {
  for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_EQ(AddPhoto(Photo(n, Bands(300, 200))), 1);
  ASSERT_EQ(Cmd(34, 2), 1);
  ASSERT_EQ(Print(All()), 1) << pm->LastJobError();
  ASSERT_EQ(Pdfs().size(), 1u);
  EXPECT_EQ(printtest::PdfInfo(Pdfs()[0], "Pages"), "6");
}

TEST_F(PrintToPdfTest, CancelDuringProgressLeavesNoJob) {
  const int before = LeftoverJobs();
  for (const char* n : {"a.png", "b.png", "c.png"}) ASSERT_EQ(AddPhoto(Photo(n, Bands(300, 200))), 1);
  onNotify = [&](int32_t code, intptr_t data) {
    if (code == PRTC_PROGRESS && data >= 40) *cancel = 1;
  };
  EXPECT_EQ(Print(All()), 0);
  EXPECT_TRUE(Pdfs().empty());
  std::error_code ec;
  EXPECT_TRUE(fs::is_empty(printers.spool, ec) || !fs::exists(printers.spool, ec));
  EXPECT_EQ(LeftoverJobs(), before);
}

}  // namespace
