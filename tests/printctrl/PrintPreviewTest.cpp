// The preview and the page strip as a user drives them with the pointer:
// cells swapped, panned, moved and resized by drags, drags given up by
// Escape, a lost focus or a closed window, zoom steps, and pages chosen in
// the strip. The pointer events go in as the toolkit's backends send them.
#include <gtest/gtest.h>

#include <cmath>

#include "PageBin.h"
#include "PreviewTestSupport.h"
#include "PrintPage.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelMessage.h"

namespace hl = qel::headless;
using pvtest::PreviewHost;

namespace {

constexpr uint32_t kRed = 0xd01c28, kGreen = 0x26a269, kBlue = 0x1c71d8, kYellow = 0xf5c211;

// The colour at the centre of each cell of the page as it prints.
std::vector<uint32_t> PrintedCentres(CPrintPage* page) {
  PubImage::QelPicture* pic = page->GetPagePic(SIZE{600, 800}, true, true, nullptr, nullptr);
  img::Bitmap b = pctest::Pixels(pic);
  pic->Release();
  std::vector<uint32_t> v;
  for (long i = 0; i < page->GetCellCount(); ++i) {
    const SRect32 r = page->GetCell(i)->cellRect;
    v.push_back(pvtest::At(b, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
  }
  return v;
}

std::vector<int32_t> Resources(CPrintPage* page) {
  std::vector<int32_t> v;
  for (long i = 0; i < page->GetCellCount(); ++i) v.push_back(page->GetCell(i)->resIndex);
  return v;
}

bool Near(uint32_t a, uint32_t b) {
  for (int s : {0, 8, 16}) {
    if (std::abs(int((a >> s) & 0xff) - int((b >> s) & 0xff)) > 12) return false;
  }
  return true;
}

struct PreviewTest : ::testing::Test {
  void SetUp() override {
    host = std::make_unique<PreviewHost>();
    ASSERT_NE(host->element, nullptr);
    host->Fill({kRed, kGreen, kBlue, kYellow});
    ASSERT_NE(host->Preview(), nullptr);
    ASSERT_NE(host->Page(), nullptr);
    ASSERT_EQ(host->Page()->GetCellCount(), 4);
  }
  std::unique_ptr<PreviewHost> host;
};

}  // namespace

TEST_F(PreviewTest, DraggingCellZeroOntoCellThreeSwapsThem) {
  CPrintPage* page = host->Page();
  const auto before = Resources(page);
  host->Drag(host->CellCentre(0), host->CellCentre(3));
  const auto after = Resources(page);
  EXPECT_EQ(after[0], before[3]);
  EXPECT_EQ(after[3], before[0]);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(page->GetActiveCell(), 3);
  EXPECT_EQ(host->Preview()->GetActive(), 3);
  const auto printed = PrintedCentres(page);
  EXPECT_TRUE(Near(printed[0], kYellow)) << std::hex << printed[0];
  EXPECT_TRUE(Near(printed[3], kRed)) << std::hex << printed[3];
}

// A drag given up in any way leaves the page as it was: Escape, the window
// losing the focus, or the press cancelled by the toolkit; for a swap, a
// pan and a free move alike.
TEST_F(PreviewTest, EscapeOrFocusLossDuringADragChangesNothing) {
  CPrintPage* page = host->Page();
  page->DoZoomCellPic(0, 1);
  page->DoZoomCellPic(0, 1);
  host->Preview()->PageChanged();
  enum How { kEscape, kFocus };
  struct Case {
    const char* what;
    long cell;
    int setting12;  // 1: a zoomed picture pans; 0: it swaps
    How how;
  } cases[] = {{"swap, Escape", 1, 1, kEscape},  {"swap, focus lost", 1, 1, kFocus},
               {"pan, Escape", 0, 1, kEscape},   {"pan, focus lost", 0, 1, kFocus},
               {"zoomed swap, Escape", 0, 0, kEscape}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host->Cmd(2, 12, reinterpret_cast<const void*>(intptr_t(c.setting12)));
    std::vector<CPrintCell> kept;
    for (long i = 0; i < 4; ++i) kept.push_back(*page->GetCell(i));
    const POINT from = host->CellCentre(c.cell), to = host->CellCentre(3);
    host->Down(from);
    host->Move(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
    host->Move(to);
    EXPECT_NE(host->Preview()->Drag().kind(), CPreviewDrag::kNone);
    if (c.how == kEscape) EXPECT_TRUE(qel::input::Key(host->window, 27, true));
    else SendMessage(host->window->GetWindowRef(), QEL_WM_ACTIVATE, 0, 0);
    EXPECT_EQ(host->Preview()->Drag().kind(), CPreviewDrag::kNone);
    host->Move(from);
    host->Up(to);
    for (long i = 0; i < 4; ++i) {
      EXPECT_EQ(page->GetCell(i)->resIndex, kept[size_t(i)].resIndex) << i;
      const SRect32 a = page->GetCell(i)->picRect, b = kept[size_t(i)].picRect;
      EXPECT_TRUE(a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom) << i;
    }
  }
}

// The window goes while a drag runs: nothing under the pointer's later
// events is freed memory (the sanitizer build watches this).
TEST(PreviewClose, ClosingTheWindowDuringADragIsSafe) {
  auto host = std::make_unique<PreviewHost>();
  host->Fill({kRed, kGreen, kBlue, kYellow});
  const POINT from = host->CellCentre(0), to = host->CellCentre(3);
  host->Down(from);
  host->Move(to);
  host->window->Close();
  hl::PumpUntilIdle();
  delete host->window;
  host->window = nullptr;
  // The toolkit still holds the pressed element: its release arrives later,
  // in another window.
  PreviewHost other(false);
  other.Move(POINT{10, 10});
  other.Up(POINT{10, 10});
  qel::input::CancelPointer();
  SUCCEED();
}

// A zoomed picture panned with the pointer prints the part the preview
// shows: the marker of the photo lands at the same place on the page at
// 72 dpi, within a pixel.
TEST(PreviewPan, APannedCellPrintsWhatThePreviewShows) {
  PreviewHost host(false);
  host.Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(host.manager)));
  host.Cmd(11);
  host.Cmd(2, 13, nullptr);  // no copy buttons or attention mark over the picture
  host.Cmd(2, 23, nullptr);
  const std::u16string p = host.Photo("marker.png", pvtest::Solid(400, 300, 0x808890, {250, 120, 274, 144}));
  host.Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1)));
  CPrintPage* page = host.Page();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->DoZoomCellPic(0, 1));
  ASSERT_TRUE(page->DoZoomCellPic(0, 1));
  // The preview at 72 dpi: 0.72 of the printer's 100 dpi.
  double z = 0.72;
  ASSERT_EQ(host.Cmd(3, 30, &z), 1);
  const SRect32 before = page->GetCell(0)->picRect;
  const POINT from = host.CellCentre(0);
  host.Drag(from, POINT{from.x - 23, from.y + 11}, 5);
  const SRect32 after = page->GetCell(0)->picRect;
  EXPECT_FALSE(before.left == after.left && before.top == after.top) << "the drag panned nothing";

  const std::string shot = (host.dir / "preview.png").string();
  ASSERT_TRUE(hl::RenderPng(host.window, shot));
  cairo_surface_t* s = cairo_image_surface_create_from_png(shot.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  const SRect32 cell = host.Preview()->CellRect(0);
  const pvtest::Centre shown = pvtest::DarkCentre(s, cell);
  cairo_surface_destroy(s);
  ASSERT_GT(shown.count, 0u) << "the marker is not in the preview";
  const SRect32 paper = host.Preview()->PaperRect();

  PubImage::QelPicture* printed = page->GetPagePic(SIZE{432, 576}, true, true, nullptr, nullptr);
  const img::Bitmap b = pctest::Pixels(printed);
  printed->Release();
  const pvtest::Centre out = pvtest::DarkCentre(b, SRect32{0, 0, 432, 576});
  ASSERT_GT(out.count, 0u) << "the marker is not on the printed page";
  EXPECT_NEAR(shown.x - paper.left, out.x, 1.0);
  EXPECT_NEAR(shown.y - paper.top, out.y, 1.0);
}

TEST_F(PreviewTest, ZoomSteps) {
  CPrintPreview* pv = host->Preview();
  EXPECT_TRUE(pv->IsFit());
  EXPECT_EQ(host->Cmd(3, 28), 0);  // fitted already
  double z = 0.05;
  ASSERT_EQ(host->Cmd(3, 30, &z), 1);
  struct Step {
    long command;
    double from, to;
    intptr_t answer;
  } steps[] = {{26, 0.05, 1.0 / 15, 1}, {26, 0.3, 1.0 / 3, 1}, {27, 0.3, 0.25, 1}, {27, 0.05, 0.05, 0},
               {26, 1.0, 1.0, 0},       {27, 1.5, 1.0, 1}};
  for (const Step& s : steps) {
    double from = s.from;
    ASSERT_EQ(host->Cmd(3, 30, &from), 1);
    EXPECT_EQ(host->Cmd(3, s.command), s.answer) << s.from;
    EXPECT_NEAR(pv->GetZoom(), s.to, 1e-9) << s.from;
  }
  EXPECT_FALSE(pv->IsFit());
  EXPECT_EQ(pv->_SetZoom(1.5), 0);
  EXPECT_EQ(pv->_SetZoom(0.04), 0);
  EXPECT_EQ(host->Cmd(3, 28), 1);
  EXPECT_TRUE(pv->IsFit());
  EXPECT_EQ(host->Cmd(3, 28), 0);
}

// Scrolling the zoomed paper with a drag on it; a fitted paper never scrolls.
TEST_F(PreviewTest, DraggingThePaperScrollsIt) {
  CPrintPreview* pv = host->Preview();
  const SRect32 paper = pv->PaperRect();
  host->Drag(POINT{paper.left + 2, paper.top + 2}, POINT{paper.left + 40, paper.top + 60});
  EXPECT_EQ(pv->ScrollX(), 0);
  EXPECT_EQ(pv->ScrollY(), 0);
  double z = 1.0;
  host->Cmd(3, 30, &z);
  const POINT between{pv->CellRect(0).right + 4, pv->CellRect(0).top + 40};
  ASSERT_LT(pv->CellAt(between), 0);
  host->Drag(between, POINT{between.x - 30, between.y - 50});
  EXPECT_EQ(pv->ScrollX(), 0);  // the paper's width fits the window
  EXPECT_EQ(pv->ScrollY(), 50);
  host->Drag(between, POINT{between.x + 500, between.y + 500});
  EXPECT_EQ(pv->ScrollX(), 0);
  EXPECT_EQ(pv->ScrollY(), 0);
}

TEST_F(PreviewTest, ClicksSelectCellsAndDoubleAndRightClicksGoToTheHost) {
  host->Down(host->CellCentre(2));
  host->Up(host->CellCentre(2));
  EXPECT_EQ(host->Page()->GetActiveCell(), 2);
  EXPECT_EQ(host->Preview()->GetActive(), 2);
  host->heard.clear();
  host->Double(host->CellCentre(1));
  host->Up(host->CellCentre(1));
  EXPECT_EQ(host->Heard(PRTC_DBLCLICK), std::vector<intptr_t>{2});
  EXPECT_EQ(host->Page()->GetActiveCell(), 1);
  host->Down(host->CellCentre(0), 3);
  host->Up(host->CellCentre(0), 3);
  EXPECT_EQ(host->Heard(PRTC_RBUTTON).size(), 1u);
  EXPECT_EQ(host->Page()->GetActiveCell(), 0);
  // The mouse notification comes first; the host may keep the press.
  EXPECT_FALSE(host->Heard(PRTC_MOUSE).empty());
}

// The page strip: one thumbnail per page, numbered from 1; choosing one
// shows its page; a page removed takes its thumbnail with it and the
// others are numbered again, without moving the current page.
TEST(PageStrip, ThumbnailsFollowThePages) {
  PreviewHost host;
  host.Fill({kRed, kGreen, kBlue, kYellow, kRed, kGreen, kBlue, kYellow, kRed});
  CPrintProject* project = host.Project();
  ASSERT_EQ(project->GetPageCount(), 3);
  CPageBin* strip = project->GetPageBin();
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->Count(), 3);
  auto* album = dynamic_cast<qel::Album*>(host.album);
  ASSERT_NE(album, nullptr);
  album->SyncNow();
  for (int i = 0; i < 3; ++i) {
    qel::Element* panel = album->ItemPanel(i);
    ASSERT_NE(panel, nullptr) << i;
    EXPECT_EQ(panel->FindByName("view_pagenum", true)->Text(), qel::ToU16(std::to_string(i + 1)));
  }
  // A click on the third thumbnail shows the third page.
  const SRect32 third = album->ItemPanel(2)->Bounds();
  const POINT at{(third.left + third.right) / 2, (third.top + third.bottom) / 2};
  host.Down(at);
  host.Up(at);
  EXPECT_EQ(project->GetCurrentPage(), 2);
  EXPECT_EQ(host.Page(), project->GetPage(2));
  // Removing the first page keeps the current one and numbers again.
  project->GetImageList();
  ASSERT_EQ(project->DeletePage(0), 1);
  EXPECT_EQ(strip->Count(), 2);
  album->SyncNow();
  EXPECT_EQ(album->ItemPanel(0)->FindByName("view_pagenum", true)->Text(), u"1");
  EXPECT_EQ(album->ItemPanel(1)->FindByName("view_pagenum", true)->Text(), u"2");
  EXPECT_FALSE(host.Heard(PRTC_PAGEBIN).empty());
}

// On a free page cells move and resize with the pointer: a move keeps the
// size and cannot carry a cell off the print area; a corner keeps the
// picture's proportions and a small result grows to 1.5 inch on release;
// a drag released where it began changes nothing.
TEST(PreviewFree, CellsMoveAndResizeOnAFreePage) {
  PreviewHost host(false);
  host.Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(host.manager)));
  host.Cmd(2, 6, reinterpret_cast<const void*>(intptr_t(1)));
  const std::u16string p = host.Photo("wide.png", pvtest::Solid(400, 300, kBlue));
  host.Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1)));
  CPrintPage* page = host.Page();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->IsFreeLayout());
  ASSERT_EQ(page->GetCellCount(), 1);
  CPrintPreview* pv = host.Preview();
  CPrintCell* c = page->GetCell(0);
  auto width = [](const SRect32& r) { return r.right - r.left; };
  auto height = [](const SRect32& r) { return r.bottom - r.top; };

  // Released where it began.
  const SRect32 start = c->cellRect;
  const POINT mid = host.CellCentre(0);
  host.Drag(mid, mid);
  EXPECT_EQ(c->cellRect.left, start.left);
  EXPECT_EQ(c->cellRect.top, start.top);

  // A move by the body keeps the size.
  host.Drag(mid, POINT{mid.x + 30, mid.y + 20});
  EXPECT_EQ(width(c->cellRect), width(start));
  EXPECT_EQ(height(c->cellRect), height(start));
  EXPECT_NEAR(c->cellRect.left - start.left, 30 * 600.0 / width(pv->PaperRect()), 2.0);
  EXPECT_GT(c->cellRect.top, start.top);

  // Thrown far to the right: an edge stays on the print area less a
  // quarter inch (25 pixels at 100 dpi).
  host.Drag(host.CellCentre(0), POINT{host.CellCentre(0).x + 3000, host.CellCentre(0).y});
  EXPECT_LE(c->cellRect.left, 590 - 25 + 2);
  EXPECT_EQ(width(c->cellRect), width(start));

  // Back, then made small from the bottom-right corner: 4:3 kept, never
  // below 1.5 inch (150 pixels) wide, the top-left corner kept.
  host.Drag(host.CellCentre(0), mid);
  SRect32 r = pv->CellRect(0);
  const SRect32 before = c->cellRect;
  host.Down(POINT{r.right - 3, r.bottom - 3});
  host.Move(POINT{r.right - 40, r.bottom - 10});
  const SRect32 dragged = pv->Drag().rect();
  EXPECT_NEAR(double(width(dragged)) / height(dragged), 4.0 / 3.0, 0.05);
  host.Move(POINT{r.left + 2, r.top + 2});
  host.Up(POINT{r.left + 2, r.top + 2});
  EXPECT_NEAR(c->cellRect.left, before.left, 2);
  EXPECT_NEAR(c->cellRect.top, before.top, 2);
  // (the screen's pixels are coarser than the printer's: a pixel either way)
  EXPECT_NEAR(width(c->cellRect), 150, 3);
  EXPECT_NEAR(height(c->cellRect), 113, 3);
  EXPECT_NEAR(double(width(c->cellRect)) / height(c->cellRect), 4.0 / 3.0, 0.03);
}

// The copy buttons of the chosen picture: one more copy fills the next free
// cell (a new page when the page is full), one fewer takes it away again;
// the number shown follows, and one copy cannot go lower.
TEST_F(PreviewTest, CopyButtonsChangeCopiesAndThePageCount) {
  host->Down(host->CellCentre(1));
  host->Up(host->CellCentre(1));
  hl::PumpUntilIdle();
  CPrintProject* project = host->Project();
  const long res = host->Page()->GetCell(1)->resIndex;
  ASSERT_EQ(project->GetImageList()->GetCopies(res), 1);
  ASSERT_EQ(project->GetPageCount(), 1);
  hl::ElementState sub = hl::Read(host->window, "butn_211");
  EXPECT_TRUE(sub.visible);
  EXPECT_FALSE(sub.enabled);
  EXPECT_EQ(hl::Read(host->window, "butn_212").text, u"1");

  ASSERT_TRUE(hl::Click(host->window, "butn_22"));
  EXPECT_EQ(project->GetImageList()->GetCopies(res), 2);
  EXPECT_EQ(project->GetPageCount(), 2);
  EXPECT_EQ(hl::Read(host->window, "butn_212").text, u"2");
  EXPECT_TRUE(hl::Read(host->window, "butn_211").enabled);

  ASSERT_TRUE(hl::Click(host->window, "butn_211"));
  EXPECT_EQ(project->GetImageList()->GetCopies(res), 1);
  EXPECT_EQ(project->GetPageCount(), 1);
  EXPECT_EQ(hl::Read(host->window, "butn_212").text, u"1");
  EXPECT_FALSE(hl::Click(host->window, "butn_211"));  // disabled at one copy
}
