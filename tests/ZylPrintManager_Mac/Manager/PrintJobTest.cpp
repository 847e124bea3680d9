// Printing pictures and layers into PDF jobs: what reaches the printer's
// spool or the chosen file (checked with poppler's tools), and that a
// cancelled or refused job leaves nothing behind.
#include <cairo.h>
#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "CPrintManager.h"
#include "MediaTools.h"
#include "PrintFixture.h"
#include "qel/QelImage.h"

namespace {

using printtest::Run;

// A 400 x 200 picture of four coloured quarters (B, G, R).
const uint8_t kQuarters[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};

img::Bitmap QuarterBitmap(int32_t w, int32_t h) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* c = kQuarters[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
      std::copy_n(c, 3, b.mutable_row(y) + size_t(x) * 3);
    }
  return b;
}

QelObject MakePicture(int32_t w, int32_t h) {
  QelObject handle = Qel0CreateObj(QEL_KIND_PICTURE);
  qel::Picture* p = qel::Picture::From(handle);
  p->SetSize(SIZE{w, h});
  qel::Layer* layer = qel::Layer::Make(QuarterBitmap(w, h));
  p->Insert(1, layer);
  layer->Release();
  return handle;
}

struct Ppm {
  int w = 0, h = 0;
  std::string rgb;
  const uint8_t* At(int x, int y) const { return reinterpret_cast<const uint8_t*>(rgb.data()) + (size_t(y) * w + x) * 3; }
};

Ppm Render(const std::filesystem::path& pdf, int page) {
  auto base = pdf.parent_path() / ("page" + std::to_string(page));
  Run("pdftoppm -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) + " -singlefile " +
      mediatools::Quote(pdf) + " " + mediatools::Quote(base));
  std::ifstream in(base.string() + ".ppm", std::ios::binary);
  Ppm out;
  std::string magic;
  int maxval = 0;
  in >> magic >> out.w >> out.h >> maxval;
  in.get();
  out.rgb.assign(std::istreambuf_iterator<char>(in), {});
  if (magic != "P6" || out.rgb.size() != size_t(out.w) * out.h * 3) out = Ppm{};
  return out;
}

// Share of the rectangle's pixels (in points) that differ from the source
// picture sampled at the same place by more than a little.
double Mismatch(const Ppm& page, int left, int top, int w, int h) {
  int bad = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* want = kQuarters[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
      const uint8_t* got = page.At(left + x, top + y);
      for (int c = 0; c < 3; ++c)
        if (std::abs(int(got[c]) - int(want[2 - c])) > 40) {
          ++bad;
          break;
        }
    }
  return double(bad) / (w * h);
}

bool White(const Ppm& page, int x, int y) {
  const uint8_t* p = page.At(x, y);
  return p[0] > 240 && p[1] > 240 && p[2] > 240;
}

std::string Info(const std::filesystem::path& pdf, const std::string& field) { return printtest::PdfInfo(pdf, field); }

std::vector<std::filesystem::path> Files(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> out;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dir, ec)) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

// Job folders left in the temporary folder.
int LeftoverJobs() {
  int n = 0;
  for (auto& p : Files(g_get_tmp_dir()))
    if (p.filename().string().rfind("dunsellow-print-", 0) == 0) ++n;
  return n;
}

class PrintJob : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!printtest::HaveTool("pdfinfo") || !printtest::HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    printers = printtest::MakePrinters();
    mgr = std::make_unique<CZylPrintManager>(printers.system);
    picture = MakePicture(400, 200);
  }
  void TearDown() override {
    if (picture) Qel0Release(picture);
  }

  printtest::Printers printers;
  std::unique_ptr<CZylPrintManager> mgr;
  QelObject picture = nullptr;
};

TEST_F(PrintJob, APicturePrintedIntoPagesReachesThePrinter) {
  ASSERT_EQ(mgr->SetPrintCopies(3), 1);
  ASSERT_EQ(mgr->StartPrint(u"Holiday prints"), 1);
  // 720 dpi: the rectangle is 144 x 72 points at (72, 72).
  SRect32 dest{720, 720, 720 + 1440, 720 + 720};
  ASSERT_EQ(mgr->StartPage(), 1);
  EXPECT_EQ(mgr->PrintPict(picture, &dest), 1);
  ASSERT_EQ(mgr->EndPage(), 1);
  // Page two: the user's offset of half an inch moves it 36 points right.
  mgr->SetMargin(32, 0, 0);
  ASSERT_EQ(mgr->StartPage(), 1);
  EXPECT_EQ(mgr->PrintPict(picture, &dest), 1);
  ASSERT_EQ(mgr->EndPage(), 1);
  ASSERT_EQ(mgr->EndPrint(0), 1) << mgr->LastJobError();
  EXPECT_EQ(LeftoverJobs(), 0);

  auto files = Files(printers.spool);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].filename(), "1-Holiday prints.pdf");
  EXPECT_EQ(Info(files[0], "Pages"), "2");
  EXPECT_EQ(Info(files[0], "Page size"), "612 x 792 pts (letter)");
  EXPECT_EQ(Info(files[0], "Title"), "Holiday prints");
  std::ifstream side(files[1]);
  std::stringstream record;
  record << side.rdbuf();
  EXPECT_NE(record.str().find("printer=Photo Jet\ncopies=3\nmedia=na_letter_8.5x11in\ncolor=1"), std::string::npos);

  Ppm one = Render(files[0], 1);
  ASSERT_EQ(one.w, 612);
  EXPECT_LT(Mismatch(one, 72, 72, 144, 72), 0.03);
  EXPECT_TRUE(White(one, 70, 100));
  EXPECT_TRUE(White(one, 218, 100));
  EXPECT_TRUE(White(one, 100, 146));
  Ppm two = Render(files[0], 2);
  EXPECT_LT(Mismatch(two, 108, 72, 144, 72), 0.03);
  EXPECT_TRUE(White(two, 100, 100));
}

TEST_F(PrintJob, AspectIsKeptAndCentred) {
  ASSERT_EQ(mgr->StartPrint(u"Centred"), 1);
  ASSERT_EQ(mgr->StartPage(), 1);
  SRect32 square{720, 720, 720 + 1440, 720 + 1440};  // 2:1 picture into a square: 144 x 72 at y = 72 + 36
  EXPECT_EQ(mgr->PrintPict(picture, &square), 1);
  mgr->EndPage();
  ASSERT_EQ(mgr->EndPrint(0), 1);
  Ppm page = Render(Files(printers.spool)[0], 1);
  EXPECT_LT(Mismatch(page, 72, 108, 144, 72), 0.03);
  EXPECT_TRUE(White(page, 100, 100));
  EXPECT_TRUE(White(page, 100, 184));
}

TEST_F(PrintJob, PrintToFileWritesTheChosenFile) {
  ASSERT_EQ(mgr->SelectPrinter(3), 1);
  ASSERT_EQ(mgr->SelectPaperName(u"A4"), 1);
  mgr->SetPortrait(0);
  auto out = printers.dir / "out.pdf";
  mgr->SetOutputFile(out.string());
  ASSERT_EQ(mgr->StartPrint(u"To a file"), 1);
  ASSERT_EQ(mgr->StartPage(), 1);
  EXPECT_EQ(mgr->PrintPict(picture, nullptr), 1);  // the printable area
  mgr->EndPage();
  ASSERT_EQ(mgr->EndPrint(0), 1);
  EXPECT_EQ(Info(out, "Page size"), "841.89 x 595.276 pts (A4)");
  EXPECT_TRUE(Files(printers.spool).empty());
  // No file chosen: the job fails and says so.
  mgr->SetOutputFile("");
  ASSERT_EQ(mgr->StartPrint(u"Nowhere"), 1);
  mgr->StartPage();
  mgr->EndPage();
  EXPECT_EQ(mgr->EndPrint(0), 0);
  EXPECT_FALSE(mgr->LastJobError().empty());
  EXPECT_EQ(LeftoverJobs(), 0);
}

TEST_F(PrintJob, CancelledOrRefusedJobsLeaveNothing) {
  ASSERT_EQ(mgr->StartPrint(u"Cancelled"), 1);
  ASSERT_EQ(mgr->StartPage(), 1);
  EXPECT_EQ(mgr->PrintPict(picture, nullptr), 1);
  EXPECT_EQ(mgr->EndPage(), 1);
  EXPECT_EQ(LeftoverJobs(), 1);
  EXPECT_EQ(mgr->EndPrint(1), 1);
  EXPECT_TRUE(Files(printers.spool).empty());
  EXPECT_EQ(LeftoverJobs(), 0);

  auto out = printers.dir / "cancelled.pdf";
  mgr->SelectPrinter(3);
  mgr->SetOutputFile(out.string());
  ASSERT_EQ(mgr->StartPrint(u"Cancelled too"), 1);
  mgr->StartPage();
  mgr->EndPage();
  EXPECT_EQ(mgr->EndPrint(1), 1);
  EXPECT_FALSE(std::filesystem::exists(out));

  mgr->SelectPrinter(2);  // refuses every job
  ASSERT_EQ(mgr->StartPrint(u"Refused"), 1);
  mgr->StartPage();
  mgr->EndPage();
  EXPECT_EQ(mgr->EndPrint(0), 0);
  EXPECT_FALSE(mgr->LastJobError().empty());
  EXPECT_TRUE(Files(printers.spool).empty());
  EXPECT_EQ(LeftoverJobs(), 0);
  EXPECT_EQ(mgr->EndPrint(0), 0);  // no job
}

TEST_F(PrintJob, LayersAndPicturesNeedAnOpenPage) {
  qel::Picture* p = qel::Picture::From(picture);
  qel::Layer* layer = p->LayerAt(1);
  layer->MoveTo(50, 50);
  EXPECT_EQ(mgr->PrintLayer(layer->Handle(), nullptr), 0);
  EXPECT_EQ(mgr->PrintPict(picture, nullptr), 0);
  ASSERT_EQ(mgr->StartPrint(u"Layer"), 1);
  EXPECT_EQ(mgr->PrintLayer(layer->Handle(), nullptr), 0);  // no page yet
  ASSERT_EQ(mgr->StartPage(), 1);
  SRect32 dest{720, 720, 2160, 1440};
  EXPECT_EQ(mgr->PrintLayer(layer->Handle(), &dest), 1);
  EXPECT_EQ(layer->RefCount(), 1);  // the copy went with its picture
  EXPECT_EQ(mgr->PrintLayer(nullptr, &dest), 0);
  EXPECT_EQ(mgr->PrintPict(nullptr, &dest), 0);
  mgr->EndPage();
  ASSERT_EQ(mgr->EndPrint(0), 1);
  Ppm page = Render(Files(printers.spool)[0], 1);
  EXPECT_LT(Mismatch(page, 72, 72, 144, 72), 0.03);
}

TEST(PicturePlacement, KeepsTheAspectAndCentres) {
  struct Case {
    SRect32 dest;
    int32_t sw, sh, keep;
    ZylPlacement want;
  } cases[] = {
      {{0, 0, 2000, 2000}, 1000, 500, 1, {0, 500, 2000, 1000}},
      {{0, 0, 2000, 2000}, 1000, 500, 0, {0, 0, 2000, 2000}},
      {{10, 20, 110, 70}, 400, 400, 1, {35, 20, 50, 50}},
      {{0, 0, 400, 400}, 400, 400, 1, {0, 0, 400, 400}},
  };
  for (const Case& c : cases) {
    ZylPlacement p = ZylPlacePicture(c.dest, c.sw, c.sh, c.keep);
    EXPECT_EQ(p.left, c.want.left);
    EXPECT_EQ(p.top, c.want.top);
    EXPECT_EQ(p.width, c.want.width);
    EXPECT_EQ(p.height, c.want.height);
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
  cairo_t* cr = cairo_create(s);
  QelObject pic = MakePicture(20, 20);
  SRect32 empty{5, 5, 5, 50}, dest{0, 0, 10, 10}, outside{30, 30, 40, 40};
  EXPECT_EQ(ZylDrawPicture(cr, &empty, pic, nullptr, 1, 0, 0), 0);
  EXPECT_EQ(ZylDrawPicture(cr, &dest, pic, &outside, 1, 0, 0), 1);  // nothing to draw
  EXPECT_EQ(ZylDrawPicture(cr, &dest, nullptr, nullptr, 1, 0, 0), 0);
  EXPECT_EQ(ZylDrawPicture(nullptr, &dest, pic, nullptr, 1, 0, 0), 0);
  EXPECT_EQ(ZylDrawPicture(cr, &dest, pic, nullptr, 1, 0, 0), 1);
  Qel0Release(pic);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

}  // namespace
