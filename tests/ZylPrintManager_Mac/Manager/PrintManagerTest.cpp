// The print manager over the fake printers: printers, papers, geometry in
// device pixels, margins, orientation, the host's filter, the dialogs and
// reference counting.
#include <gtest/gtest.h>

#include <string>

#include "CPrintManager.h"
#include "PrintFixture.h"
#include "print/PrintDialogs.h"

namespace {

using printtest::W;

std::u16string Str(const WCHAR* s) { return s ? std::u16string(s) : u"(null)"; }

struct Area {
  int32_t l, t, r, b;
};

class PrintManager : public ::testing::Test {
 protected:
  void SetUp() override {
    printers = printtest::MakePrinters();
    mgr = std::make_unique<CZylPrintManager>(printers.system);
  }
  void TearDown() override { g_pCallback = nullptr; }

  Area PrintArea() {
    SRect32 r{};
    EXPECT_EQ(mgr->GetPrintArea(&r), 1);
    return {r.left, r.top, r.right, r.bottom};
  }

  const WCHAR* GetCurrentPaper() { return mgr->GetCurrentPaperName(paper) ? paper : nullptr; }

  printtest::Printers printers;
  std::unique_ptr<CZylPrintManager> mgr;
  WCHAR buf[kZylTextUnits] = {};
  WCHAR paper[kZylTextUnits] = {};
};

TEST_F(PrintManager, ListsThePrintersAndAlwaysAFileDestination) {
  ASSERT_EQ(mgr->GetPrinterCount(), 4);
  const char16_t* names[] = {u"Office Laser", u"Photo Jet", u"Broken", u"Print to File (PDF)"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Str(mgr->GetPrinterNameByIndex(i, buf)), names[i]);
  EXPECT_EQ(mgr->GetPrinterNameByIndex(4, buf), nullptr);
  EXPECT_EQ(mgr->GetPrinterNameByIndex(0, nullptr), nullptr);
  EXPECT_EQ(mgr->GetCurrentPrinterIndex(), 1);  // the default
  EXPECT_EQ(Str(mgr->GetCurrentPrinterName(buf)), u"Photo Jet");
  WCHAR driver[kZylTextUnits] = {};
  EXPECT_EQ(Str(mgr->GetPrinterDriverNameByIndex(1, driver)), u"ACME PHOTOJET ÜNIT 2");
  EXPECT_EQ(mgr->IsColor(), 1);
  EXPECT_EQ(mgr->GetDestinationType(), kZylDestinationPrinter);
  EXPECT_EQ(mgr->SelectPrinter(-1), 0);
  EXPECT_EQ(mgr->SelectPrinter(4), 0);
  EXPECT_EQ(mgr->SelectPrinter(3), 1);
  EXPECT_EQ(mgr->GetDestinationType(), kZylDestinationFile);
  // The file destination offers the built-in papers.
  EXPECT_EQ(mgr->GetSupportPaperCount(), 8);
}

TEST_F(PrintManager, PaperSizesAndPrintableAreasInDevicePixels) {
  struct Case {
    int printer;
    const char16_t* paper;
    int32_t w, h;
    Area area;
  } cases[] = {
      {1, u"Letter", 6120, 7920, {180, 180, 5940, 7740}},
      {1, u"4 x 6 in", 2880, 4320, {0, 0, 2880, 4320}},  // borderless
      {0, u"Letter", 6120, 7920, {119, 85, 5999, 7749}},
      {0, u"A4", 5952, 8418, {119, 119, 5831, 8298}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.paper, c.paper + std::char_traits<char16_t>::length(c.paper)));
    ASSERT_EQ(mgr->SelectPrinter(c.printer), 1);
    ASSERT_EQ(mgr->SelectPaperName(c.paper), 1);
    int32_t w = 0, h = 0, x = 0, y = 0;
    EXPECT_EQ(mgr->GetPixel(&x, &y), 1);
    EXPECT_EQ(x, 720);
    EXPECT_EQ(y, 720);
    EXPECT_EQ(mgr->GetPaperSize(&w, &h), 1);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
    Area a = PrintArea();
    EXPECT_EQ(a.l, c.area.l);
    EXPECT_EQ(a.t, c.area.t);
    EXPECT_EQ(a.r, c.area.r);
    EXPECT_EQ(a.b, c.area.b);
    EXPECT_EQ(Str(GetCurrentPaper()), c.paper);
  }
  EXPECT_EQ(mgr->SelectPaperName(u"letter"), 0);  // names compare exactly
  EXPECT_EQ(mgr->GetPaperSize(nullptr, nullptr), 0);
  double wi = 0, hi = 0;
  EXPECT_EQ(mgr->GetPaperSizeByIndex(0, wi, hi), 1);
  EXPECT_DOUBLE_EQ(wi, 8.5);
  EXPECT_DOUBLE_EQ(hi, 11.0);
  EXPECT_EQ(mgr->GetPaperSizeByIndex(9, wi, hi), 0);
}

TEST_F(PrintManager, CustomPaperSizesJoinTheList) {
  ASSERT_EQ(mgr->SelectPrinter(0), 1);
  EXPECT_EQ(mgr->SetPaperSize(8.5, 11), 1);  // Letter is there already
  EXPECT_EQ(mgr->GetSupportPaperCount(), 2);
  EXPECT_EQ(mgr->SetPaperSize(3.5, 5), 1);
  EXPECT_EQ(mgr->GetSupportPaperCount(), 3);
  EXPECT_EQ(Str(GetCurrentPaper()), u"3.50 X 5.00");
  int32_t w = 0, h = 0;
  mgr->GetPaperSize(&w, &h);
  EXPECT_EQ(w, 2520);
  EXPECT_EQ(h, 3600);
  EXPECT_EQ(mgr->SetPaperSize(0, 5), 0);
}

TEST_F(PrintManager, LandscapeTurnsThePaperAndTwiceGivesItBack) {
  ASSERT_EQ(mgr->SelectPrinter(0), 1);
  ASSERT_EQ(mgr->SelectPaperName(u"Letter"), 1);
  Area portrait = PrintArea();
  EXPECT_EQ(mgr->SetPortrait(0), 1);
  EXPECT_EQ(mgr->GetPortrait(), 0);
  int32_t w = 0, h = 0;
  mgr->GetPaperSize(&w, &h);
  EXPECT_EQ(w, 7920);
  EXPECT_EQ(h, 6120);
  Area land = PrintArea();
  EXPECT_EQ(land.l, 85);  // the top margin is on the left now
  EXPECT_EQ(land.t, 119);
  EXPECT_EQ(land.r, 7749);
  EXPECT_EQ(land.b, 5999);
  // The orientation stays when the printer changes.
  ASSERT_EQ(mgr->SelectPrinter(1), 1);
  EXPECT_EQ(mgr->GetPortrait(), 0);
  ASSERT_EQ(mgr->SelectPrinter(0), 1);
  mgr->SetPortrait(1);
  Area back = PrintArea();
  EXPECT_EQ(back.l, portrait.l);
  EXPECT_EQ(back.r, portrait.r);
  EXPECT_EQ(back.b, portrait.b);
}

TEST_F(PrintManager, MarginsCopiesAndPageRange) {
  int32_t l = 0, t = 0;
  struct Case { int32_t left, top, pixels, wantL, wantT; } cases[] = {
      {100, -100, 0, 64, -64}, {720, 0, 1, 64, 0}, {360, -1000, 1, 32, -64}, {-7, 12, 0, -7, 12}};
  for (const Case& c : cases) {
    EXPECT_EQ(mgr->SetMargin(c.left, c.top, c.pixels), 1);
    EXPECT_EQ(mgr->GetMargin(&l, &t, 0), 1);
    EXPECT_EQ(l, c.wantL);
    EXPECT_EQ(t, c.wantT);
  }
  mgr->SetMargin(32, -32, 0);
  EXPECT_EQ(mgr->GetMargin(&l, &t, 1), 1);
  EXPECT_EQ(l, 360);
  EXPECT_EQ(t, -360);
  EXPECT_EQ(mgr->GetMargin(&l, nullptr, 1), 0);

  EXPECT_EQ(mgr->GetPrintCopies(), 1);
  for (int32_t bad : {0, 1000, -3}) EXPECT_EQ(mgr->SetPrintCopies(bad), 0);
  EXPECT_EQ(mgr->GetPrintCopies(), 1);
  EXPECT_EQ(mgr->SetPrintCopies(999), 1);
  EXPECT_EQ(mgr->SetPrintCopies(1), 1);
  uint32_t first = 0, last = 0;
  EXPECT_EQ(mgr->GetPrintFromAndTo(first, last), 0);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(last, 0xFFFFFFFFu);
}

class Refuse : public CPrtMgrCallback {
 public:
  explicit Refuse(std::u16string name) : name_(std::move(name)) {}
  int32_t FilterPrinter(const WCHAR* driver, const WCHAR* printer) override {
    drivers += std::u16string(driver) + u";";
    return name_ == u"*" || name_ == printer ? 0 : 1;
  }
  std::u16string drivers;

 private:
  std::u16string name_;
};

TEST_F(PrintManager, TheHostsFilterRemovesPrinters) {
  EXPECT_EQ(g_pThis, mgr.get());
  Refuse before(u"Office Laser");  // lies before the current printer
  EXPECT_EQ(SetPrtMgrCbk(&before), 0);
  EXPECT_EQ(mgr->GetPrinterCount(), 3);
  EXPECT_EQ(Str(mgr->GetCurrentPrinterName(buf)), u"Photo Jet");
  EXPECT_EQ(mgr->GetCurrentPrinterIndex(), 0);
  EXPECT_NE(before.drivers.find(u"ACME LASERWRITER 5N;"), std::u16string::npos);

  Refuse current(u"Photo Jet");
  EXPECT_EQ(SetPrtMgrCbk(&current), 1);  // a new current printer
  EXPECT_EQ(mgr->GetCurrentPrinterIndex(), 0);
  EXPECT_EQ(Str(mgr->GetCurrentPrinterName(buf)), u"Broken");

  Refuse all(u"*");
  EXPECT_EQ(SetPrtMgrCbk(&all), 1);
  EXPECT_EQ(mgr->GetPrinterCount(), 0);
  EXPECT_EQ(mgr->GetCurrentPrinterIndex(), -1);
  EXPECT_EQ(mgr->LoadLabelSpec(printtest::W(printtest::LabelsFolder()).c_str()), 0);  // needs a printer

  // A manager that is gone is not filtered any more.
  mgr.reset();
  EXPECT_EQ(g_pThis, nullptr);
  EXPECT_EQ(SetPrtMgrCbk(&all), 0);
}

TEST_F(PrintManager, ReferenceCountingAndInterfaces) {
  auto* m = new CZylPrintManager(printers.system);
  ZylUUIDBytes unknown{{0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  ZylUUIDBytes other{{1}};
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(m->QueryInterface(other, &out), int32_t(0x80000004u));
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(m->QueryInterface(unknown, &out), 0);
  EXPECT_EQ(out, m);
  EXPECT_EQ(m->AddRef(), 2);
  EXPECT_EQ(m->Release(), 1);
  EXPECT_EQ(m->Release(), 0);  // deleted (the address sanitizer would see a leak otherwise)
}

TEST_F(PrintManager, SlotsWithoutBackingChangeNothing) {
  int16_t quality = 7;
  int32_t value = 5, cx = 3, cy = 4;
  EXPECT_EQ(mgr->GetPrintQuality(quality), 1);
  EXPECT_EQ(quality, 7);
  EXPECT_EQ(mgr->SetPrintQuality(2), 1);
  EXPECT_EQ(mgr->GetPrintSource(), 0);
  EXPECT_EQ(mgr->GetMediaTypeValue(0, value), 1);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(mgr->GetMediaTypeCount(), 0);
  EXPECT_EQ(mgr->IsCollate(), 0);
  mgr->SetCustomX(9);
  mgr->GetCustomXY(cx, cy);
  EXPECT_EQ(cx, 3);
  EXPECT_EQ(cy, 4);
  EXPECT_EQ(mgr->PrintOneCell(SRect32{0, 0, 1, 1}, nullptr, 0), 1);
  EXPECT_EQ(mgr->EnableColorSync(1), 0);
}

TEST_F(PrintManager, ScriptedDialogsChooseOrCancel) {
  print::headless::DialogAnswer cancel;
  cancel.accept = false;
  print::headless::AnswerNextPrintDialog(cancel);
  EXPECT_EQ(mgr->DoPrintSetup(nullptr, 1), 0);
  EXPECT_EQ(mgr->GetCurrentPrinterIndex(), 1);
  EXPECT_EQ(mgr->DoPrintSetup(nullptr, 0), 0);  // nothing scripted: cancelled

  print::headless::DialogAnswer pick;
  pick.printer = "Office Laser";
  pick.paper = "A4";
  pick.orientation = 2;
  pick.firstPage = 2;
  pick.lastPage = 3;
  print::headless::AnswerNextPrintDialog(pick);
  EXPECT_EQ(mgr->DoPrintSetup(nullptr, 1), 1);
  EXPECT_EQ(Str(mgr->GetCurrentPrinterName(buf)), u"Office Laser");
  EXPECT_EQ(Str(GetCurrentPaper()), u"A4");
  EXPECT_EQ(mgr->GetPortrait(), 0);
  uint32_t first = 0, last = 0;
  mgr->GetPrintFromAndTo(first, last);
  EXPECT_EQ(first, 2u);
  EXPECT_EQ(last, 3u);

  print::headless::DialogAnswer unknown;
  unknown.paper = "Tabloid";  // not offered by this printer
  print::headless::AnswerNextPageSetup(unknown);
  EXPECT_EQ(mgr->PageSetup(nullptr), 0);
  print::headless::DialogAnswer setup;
  setup.paper = "Letter";
  setup.orientation = 1;
  print::headless::AnswerNextPageSetup(setup);
  EXPECT_EQ(mgr->PageSetup(nullptr), 1);
  EXPECT_EQ(Str(GetCurrentPaper()), u"Letter");
  EXPECT_EQ(mgr->GetPortrait(), 1);
}

}  // namespace
