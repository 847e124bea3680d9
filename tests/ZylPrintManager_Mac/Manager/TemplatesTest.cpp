// Templates built for the page: generic grids for the current paper,
// catalogue templates turned and scaled without drifting, selection.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CPrintManager.h"
#include "LabelSpec.h"
#include "PrintFixture.h"

namespace {

using printtest::W;

struct Rect {
  int32_t l, t, r, b;
  bool operator==(const Rect& o) const { return l == o.l && t == o.t && r == o.r && b == o.b; }
};

std::vector<Rect> Cells(const CTemplate& t) {
  std::vector<Rect> out;
  for (const _CELLRECT& c : t.GetCellList()) out.push_back({c.rc.left, c.rc.top, c.rc.right, c.rc.bottom});
  return out;
}

// A manager whose resolution the test chooses.
class Resolution : public CZylPrintManager {
 public:
  using CZylPrintManager::CZylPrintManager;
  int32_t GetPixel(int32_t* x, int32_t* y) override {
    if (!x || !y) return 0;
    *x = *y = dpi;
    return 1;
  }
  int32_t dpi = 720;
};

class Templates : public ::testing::Test {
 protected:
  void SetUp() override {
    printers = printtest::MakePrinters();
    mgr = std::make_unique<Resolution>(printers.system);
    ASSERT_EQ(mgr->LoadLabelSpec(W(printtest::LabelsFolder()).c_str()), 1);
  }
  std::unique_ptr<CTemplate> Get(const char16_t* brand, const char16_t* name, int fit = 0) {
    int32_t found = -1;
    std::unique_ptr<CTemplate> t(mgr->GetTemplateByName(brand, name, fit, &found));
    EXPECT_EQ(found, t ? 1 : 0);
    return t;
  }
  std::vector<std::u16string> Names(const char16_t* brand) {
    std::vector<std::u16string> out;
    WCHAR buf[kZylTextUnits];
    for (int i = 0; i < mgr->GetTemplateCountByBrandName(brand); ++i)
      if (mgr->GetTemplateNameByBrandName(brand, i, buf)) out.push_back(buf);
    return out;
  }

  printtest::Printers printers;
  std::unique_ptr<Resolution> mgr;
};

TEST_F(Templates, GenericGridsAreBuiltForThePaper) {
  // Photo Jet, Letter with a quarter inch all round: 5760 x 7560 at 720 dpi.
  std::vector<std::u16string> want{u"Wallet 2.5 x 3.5 in (6) - Letter", u"Photo 3.5 x 5 in (4) - Letter",
                                   u"Photo 4 x 6 in (2) - Letter",       u"Photo 5 x 7 in (2) - Letter",
                                   u"Square 1.5 in (24) - Letter",       u"Fit to printable area"};
  EXPECT_EQ(Names(u"Generic"), want);
  auto square = Get(u"Generic", u"Square 1.5 in (24) - Letter");
  ASSERT_TRUE(square);
  std::vector<Rect> cells = Cells(*square);
  ASSERT_EQ(cells.size(), 24u);
  // Cells of 1080, 144 apart, centred: 4 columns span 4752 of 5760, 6 rows 7200 of 7560.
  EXPECT_EQ(cells[0], (Rect{684, 360, 1764, 1440}));
  EXPECT_EQ(cells[1], (Rect{684, 1584, 1764, 2664}));  // column by column
  EXPECT_EQ(cells[6], (Rect{1908, 360, 2988, 1440}));
  auto fit = Get(u"Generic", u"Fit to printable area");
  ASSERT_TRUE(fit);
  EXPECT_EQ(Cells(*fit), (std::vector<Rect>{{180, 180, 5940, 7740}}));
  int32_t w = 0, h = 0;
  fit->GetTemplatePaperSize(&w, &h);
  EXPECT_EQ(w, 6120);
  EXPECT_EQ(h, 7920);

  auto custom = Get(u"Custom", u"Custom grid - Letter");
  ASSERT_TRUE(custom);
  cells = Cells(*custom);
  ASSERT_EQ(cells.size(), 16u);
  EXPECT_EQ(cells[0], (Rect{180, 180, 180 + 1332, 180 + 1746}));
  EXPECT_EQ(cells[15].l, 180 + 3 * (1332 + 144));

  // Another paper rebuilds them.
  ASSERT_EQ(mgr->SelectPaperName(u"4 x 6 in"), 1);
  ASSERT_EQ(mgr->ReloadGenericTemplate(nullptr), 1);
  EXPECT_EQ(Names(u"Generic").front(), u"Wallet 2.5 x 3.5 in (2) - 4 x 6 in");
  EXPECT_EQ(mgr->IsGenericBrand(u"Generic"), 1);
  // Sizes that make no page keep the list.
  EXPECT_EQ(mgr->LabelSpec()->ReloadGenericTemplate(0, 100, 720, 720, SRect32{0, 0, 10, 10}, 1, 1, nullptr), 0);
  EXPECT_EQ(mgr->LabelSpec()->ReloadGenericTemplate(100, 100, 720, 720, SRect32{5, 5, 5, 10}, 1, 1, nullptr), 0);
  EXPECT_EQ(Names(u"Generic").front(), u"Wallet 2.5 x 3.5 in (2) - 4 x 6 in");
}

TEST_F(Templates, AGenericCellFillingTheAreaNeedsNoFitTemplate) {
  auto folder = testenv::MakeTempDir("generic");
  testenv::WriteFile(folder / "Generic.xml",
                     "<L><PaperDefinition><Brand>Whole</Brand><Size><PaperWidth>8.5</PaperWidth><PaperHeight>11"
                     "</PaperHeight></Size><Layout LayoutName=\"Page\"><G><LeftOffset>0</LeftOffset><TopOffset>0"
                     "</TopOffset><Width>8</Width><Height>10.5</Height><HorizontalPitch>8</HorizontalPitch>"
                     "<VerticalPitch>10.5</VerticalPitch></G></Layout></PaperDefinition></L>");
  ASSERT_EQ(mgr->LoadLabelSpec(W(folder.string()).c_str()), 1);
  EXPECT_EQ(Names(u"Whole"), (std::vector<std::u16string>{u"Page (1) - Letter"}));
}

TEST_F(Templates, TurningThePageTwiceGivesTheSameCells) {
  auto upright = Get(u"Photo Paper", u"Letter, nine wallets");
  ASSERT_TRUE(upright);
  EXPECT_EQ(std::u16string(upright->GetPerforatedType()), u"Micro");
  EXPECT_EQ(upright->GetPerforated(), 1);
  EXPECT_EQ(upright->GetImperial(), 1);
  EXPECT_EQ(upright->GetPortrait(), 1);
  mgr->SetPortrait(0);
  auto turned = Get(u"Photo Paper", u"Letter, nine wallets");
  int32_t w = 0, h = 0;
  turned->GetTemplatePaperSize(&w, &h);
  EXPECT_EQ(w, 7920);
  EXPECT_EQ(h, 6120);
  EXPECT_EQ(turned->GetPortrait(), 0);
  EXPECT_EQ(Cells(*turned)[0], (Rect{180, 360, 180 + 2520, 360 + 1800}));
  mgr->SetPortrait(1);
  auto again = Get(u"Photo Paper", u"Letter, nine wallets");
  EXPECT_EQ(Cells(*again), Cells(*upright));
  // The catalogue itself keeps its own values.
  const tagTPLABEL* kept = mgr->LabelSpec()->FindBrand(u"Photo Paper")->templates[2].get();
  EXPECT_EQ(kept->xres, 600);
  EXPECT_EQ(kept->cells[0].x, 300);
}

TEST_F(Templates, SwitchingResolutionBackAndForthDoesNotMoveCells) {
  auto first = Get(u"Label Sheets", u"A4, 65 labels 38.1 x 21.2 mm");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetImperial(), 0);
  for (int32_t dpi : {300, 1200, 360}) {
    mgr->dpi = dpi;
    ASSERT_TRUE(Get(u"Label Sheets", u"A4, 65 labels 38.1 x 21.2 mm"));
  }
  mgr->dpi = 720;
  auto back = Get(u"Label Sheets", u"A4, 65 labels 38.1 x 21.2 mm");
  EXPECT_EQ(Cells(*back), Cells(*first));
  EXPECT_EQ(Cells(*first)[0], (Rect{132, 304, 132 + 1080, 304 + 601}));
}

TEST_F(Templates, FittingCentresTheCellsInThePrintableArea) {
  auto asIs = Get(u"Photo Paper", u"Letter, two 4 x 6 in");
  auto fit = Get(u"Photo Paper", u"Letter, two 4 x 6 in", 1);
  ASSERT_TRUE(asIs && fit);
  EXPECT_EQ(Cells(*asIs)[0], (Rect{180, 360, 3060, 4680}));
  // Two 4-inch columns are 5760 wide: the area's left; 6 inches high: centred in 7560.
  EXPECT_EQ(Cells(*fit)[0], (Rect{180, 1800, 3060, 6120}));
}

TEST_F(Templates, SelectionKeepsTheNames) {
  WCHAR brand[kZylTextUnits] = u"x", name[kZylTextUnits] = u"y";
  EXPECT_EQ(mgr->SelectTemplateByName(u"Photo Paper", u"No such"), 0);
  EXPECT_EQ(mgr->GetCurrentTemplateName(brand, name), 0);
  EXPECT_EQ(std::u16string(brand), u"");
  EXPECT_EQ(mgr->SelectTemplateByName(u"Generic", u"Fit to printable area"), 1);
  EXPECT_EQ(mgr->GetSelTemplateName(brand, name), 1);
  EXPECT_EQ(std::u16string(brand), u"Generic");
  EXPECT_EQ(std::u16string(name), u"Fit to printable area");
  EXPECT_EQ(mgr->SelectTemplateByName(nullptr, u"x"), 0);
  EXPECT_EQ(mgr->IsNeedReloatTemplate(), 0);
  EXPECT_FALSE(Get(u"Nobody", u"Nothing"));
}

}  // namespace
