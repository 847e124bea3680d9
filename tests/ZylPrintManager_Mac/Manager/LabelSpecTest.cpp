// The label catalogue: lengths by unit, layouts read by table, brands and
// their order, and files that are not quite right.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "CPrintManager.h"
#include "LabelSpec.h"
#include "PrintFixture.h"

namespace {

using printtest::W;

TEST(LabelSpec, LengthsByUnit) {
  struct Case { const char16_t* text; const char16_t* unit; int32_t ref, want; } cases[] = {
      {u"2.54", u"cm", 0, 600},     {u"1", u"inch", 0, 600},    {u"0.9999", u"inch", 0, 599},
      {u"25.4", u"mm", 0, 600},     {u"0.5", u"percentage", 5100, 2550}, {u"0.5", u"percentage", 0, 0},
      {u"7.9", u"furlong", 0, 7},   {u" 1.5", u"inch", 0, 900}, {u"abc", u"inch", 0, 0},
      {u"1e300", u"inch", 0, 1073741824}, {u"-0.5", u"inch", 0, -300}, {u"1", u"Inch", 0, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CLabelSpec::GetValue(c.text, c.unit, c.ref), c.want);
  // Read the same whatever the locale's decimal separator.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    EXPECT_EQ(CLabelSpec::GetValue(u"2.54", u"cm", 0), 600);
    std::setlocale(LC_ALL, "C");
  }
}

// Writes label files into a folder and loads them through the manager.
class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    printers = printtest::MakePrinters();
    folder = testenv::MakeTempDir("labels");
    mgr = std::make_unique<CZylPrintManager>(printers.system);
  }
  void Write(const std::string& name, const std::string& xml) { testenv::WriteFile(folder / name, xml); }
  int Load() { return mgr->LoadLabelSpec(W(folder.string()).c_str()); }
  const tagTPLABEL* Template(const char16_t* brand, int index) {
    tagFILEFACTOR* f = mgr->LabelSpec()->FindBrand(brand, false);
    return f && index < int(f->templates.size()) ? f->templates[size_t(index)].get() : nullptr;
  }
  std::vector<std::u16string> BrandNames() {
    std::vector<std::u16string> out;
    WCHAR buf[kZylTextUnits];
    for (int i = 0; i < mgr->GetBrandCount(); ++i)
      if (mgr->GetBrandName(i, buf)) out.push_back(buf);
    return out;
  }

  printtest::Printers printers;
  std::filesystem::path folder;
  std::unique_ptr<CZylPrintManager> mgr;
};

std::string Definition(const std::string& brand, const std::string& geometry, const std::string& extra = "",
                       const std::string& size = "<Size><PaperWidth>8.5</PaperWidth><PaperHeight>11</PaperHeight></Size>") {
  return "<PaperDefinition>" + brand + "<Name>T</Name>" + size + extra + "<Layout>" + geometry + "</Layout></PaperDefinition>";
}

std::string Geometry(const std::string& l, const std::string& t, const std::string& w, const std::string& h,
                     const std::string& hp, const std::string& vp) {
  return "<G><LeftOffset>" + l + "</LeftOffset><TopOffset>" + t + "</TopOffset><Width>" + w + "</Width><Height>" + h +
         "</Height><HorizontalPitch>" + hp + "</HorizontalPitch><VerticalPitch>" + vp + "</VerticalPitch></G>";
}

TEST_F(Catalogue, LayoutsByUnitAndGrid) {
  struct Case {
    const char* unit;
    std::string size, geometry;
    size_t cells, rows;
    int32_t x1, w;  // second column's x and the width, 1/600 inch
    uint32_t filter;
  } cases[] = {
      {"inch", "<Size><PaperWidth>8.5</PaperWidth><PaperHeight>11</PaperHeight></Size>", Geometry("0.25", "0.5", "2", "2", "2.25", "2.5"), 3 * 4, 4, 150 + 1350, 1200, 0x10000},
      {"inch", "<Size><PaperWidth>8.5</PaperWidth><PaperHeight>11</PaperHeight></Size>", Geometry("0", "0", "1.5", "1.5", "1.5", "1.5"), 5 * 7, 7, 900, 900, 0x1 | 0x10000},
      {"mm", "<Size><PaperWidth>215.9</PaperWidth><PaperHeight>279.4</PaperHeight></Size>", Geometry("7.2", "15.15", "63.5", "38.1", "66", "38.1"), 3 * 6, 6, 170 + 1559, 1500, 0},
      {"cm", "<Size><PaperWidth>21.59</PaperWidth><PaperHeight>27.94</PaperHeight></Size>", Geometry("0", "0", "10.16", "15.24", "10.16", "15.24"), 2 * 1, 1, 2400, 2400, 0x20},
      {"percentage", "<Size><PaperWidth>8.5</PaperWidth><PaperHeight>11</PaperHeight></Size>", Geometry("0", "0", "0.5", "0.5", "0.5", "0.5"), 2 * 2, 2, 2550, 2550, 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    Write("f" + std::to_string(n) + ".xml", std::string("<L Unit=\"") + c.unit + "\">" +
                                                Definition("<Brand>B" + std::to_string(n) + "</Brand>", c.geometry, "", c.size) + "</L>");
    ++n;
  }
  ASSERT_EQ(Load(), 1);
  n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    const tagTPLABEL* t = Template((u"B" + W(std::to_string(n++))).c_str(), 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->paperWidth, 5100);
    EXPECT_EQ(t->cells.size(), c.cells);
    ASSERT_GE(t->cells.size(), 2u);
    // Column by column: the first cells share their x.
    EXPECT_EQ(t->cells[c.rows - 1].x, t->cells[0].x);
    EXPECT_EQ(t->cells[c.rows].x, c.x1);
    EXPECT_EQ(t->cells[c.rows - 1].y, t->cells.back().y);
    EXPECT_EQ(t->cells[0].width, c.w);
    EXPECT_EQ(t->filterState, c.filter);
  }
}

TEST_F(Catalogue, LayoutsThatCannotBeLaidOutAreDropped) {
  const std::string good = Geometry("0", "0", "1", "1", "1", "1");
  Write("a.xml", "<L>" +
                     Definition("<Brand>Bad</Brand>", Geometry("0", "0", "1", "1", "0", "1")) +     // no pitch: would never end
                     Definition("<Brand>Bad</Brand>", Geometry("0", "0", "1", "1", "-1", "1")) +
                     Definition("<Brand>Bad</Brand>", "<G><LeftOffset>0</LeftOffset></G>") +        // values missing
                     Definition("<Brand>Bad</Brand>", Geometry("0", "0", "9", "1", "1", "1")) +     // wider than the paper
                     Definition("<Brand>Bad</Brand>", "") +                                         // no geometry
                     Definition("<Brand>Bad</Brand>", Geometry("0", "0", "0.001", "0.001", "0.001", "0.001")) +  // too many cells
                     "<PaperDefinition/>" +
                     Definition("<Brand>Good</Brand>", good) + "</L>");
  // Minified: the geometry is the first element, not the second node.
  Write("b.xml", "<L><PaperDefinition><Brand>Tight</Brand><Layout><G><LeftOffset>0</LeftOffset><TopOffset>0</TopOffset>"
                 "<Width>4</Width><Height>5</Height><HorizontalPitch>4</HorizontalPitch><VerticalPitch>5</VerticalPitch>"
                 "</G></Layout></PaperDefinition></L>");
  Write("c.xml", "not xml at all");
  Write("d.txt", "<L/>");
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(mgr->GetTemplateCountByBrandName(u"Bad"), 0);
  EXPECT_EQ(mgr->GetTemplateCountByBrandName(u"Good"), 1);
  ASSERT_NE(Template(u"Tight", 0), nullptr);
  EXPECT_EQ(Template(u"Tight", 0)->cells.size(), 4u);  // the paper size carries over from a.xml: 8.5 x 11
}

TEST_F(Catalogue, TypesPerforationAndNames) {
  Write("HP Greeting Card.xml",
        "<L Orientation=\"Landscape\">"
        "<PaperDefinition><Name>First</Name><Size><PaperWidth>8.5</PaperWidth><PaperHeight>11</PaperHeight></Size>"
        "<Type IsPerforated=\"TRUE\" IsRollPaper=\"true\"/>"
        "<Layout LayoutName=\"Renamed\">" + Geometry("0", "0", "4", "5.5", "4.25", "5.5") + "</Layout>"
        "<Layout>" + Geometry("0", "0", "8.5", "11", "8.5", "11") + "</Layout>"
        "<PerforationDefinition><PerforationType>Micro</PerforationType><PerforationAdjustment>"
        "<HorizontalAdjustment>0.5</HorizontalAdjustment><VerticalAdjustment>0.25</VerticalAdjustment>"
        "</PerforationAdjustment></PerforationDefinition></PaperDefinition></L>");
  ASSERT_EQ(Load(), 1);
  ASSERT_EQ(mgr->GetTemplateCountByBrandName(u"HP"), 2);  // the file's brand
  const tagTPLABEL* t = Template(u"HP", 0);
  EXPECT_EQ(t->name, u"Renamed");
  EXPECT_EQ(Template(u"HP", 1)->name, u"Renamed");  // kept for the later layouts
  EXPECT_EQ(t->portrait, 0);
  EXPECT_EQ(t->perforated, 1);
  EXPECT_EQ(t->roll, 0);  // only "TRUE" counts
  EXPECT_EQ(t->greetingCard, 0);
  EXPECT_EQ(t->perforationType, u"Micro");
  EXPECT_EQ(t->hAdjust, 300);
  EXPECT_EQ(t->vAdjust, 150);
  EXPECT_EQ(t->filePath, W((folder / "HP Greeting Card.xml").string()));
}

TEST_F(Catalogue, BrandsSortedByOrderThenName) {
  Write("Zeta.xml", "<L>" + Definition("<Brand>Zeta</Brand>", Geometry("0", "0", "1", "1", "1", "1")) + "</L>");
  Write("alpha.xml", "<L>" + Definition("<Brand>Alpha</Brand>", Geometry("0", "0", "1", "1", "1", "1")) + "</L>");
  Write("first.xml", "<L>" + Definition("<Brand Order=\"1\">Mid</Brand>", Geometry("0", "0", "1", "1", "1", "1")) + "</L>");
  Write("last.xml", "<L>" + Definition("<Brand Order=\"9\">Late</Brand>", Geometry("0", "0", "1", "1", "1", "1")) + "</L>");
  // A second file extends the same brand; its Order wins.
  Write("more.xml", "<L>" + Definition("<Brand Order=\"2\">Zeta</Brand>", Geometry("0", "0", "2", "2", "2", "2")) + "</L>");
  Write("Generic.xml", "<L>" + Definition("<Brand Order=\"5\">Gen</Brand>", Geometry("0", "0", "1", "1", "1", "1")) + "</L>");
  ASSERT_EQ(Load(), 1);
  std::vector<std::u16string> want{u"Mid", u"Zeta", u"Alpha", u"Gen", u"Late"};
  EXPECT_EQ(BrandNames(), want);
  EXPECT_EQ(mgr->GetTemplateCountByBrandName(u"Zeta"), 2);
  EXPECT_EQ(mgr->IsGenericBrand(u"Gen"), 1);
  EXPECT_EQ(mgr->IsGenericBrand(u"Zeta"), 0);
  WCHAR buf[kZylTextUnits];
  EXPECT_EQ(mgr->GetBrandName(5, buf), 0);
  EXPECT_EQ(mgr->GetTemplateNameByBrandName(u"Zeta", 2, buf), 0);
  EXPECT_EQ(mgr->GetTemplateNameByBrandName(u"Nobody", 0, buf), 0);
}

TEST_F(Catalogue, TheShippedFilesLoad) {
  ASSERT_EQ(mgr->LoadLabelSpec(W(printtest::LabelsFolder()).c_str()), 1);
  std::vector<std::u16string> want{u"Generic", u"Custom", u"Photo Paper", u"Label Sheets"};
  EXPECT_EQ(BrandNames(), want);
  EXPECT_EQ(mgr->GetTemplateCountByBrandName(u"Photo Paper"), 3);
  const tagTPLABEL* a4 = Template(u"Label Sheets", 0);
  ASSERT_NE(a4, nullptr);
  EXPECT_EQ(a4->cells.size(), 21u);
  EXPECT_EQ(Template(u"Label Sheets", 1)->cells.size(), 65u);
  EXPECT_EQ(Template(u"Photo Paper", 2)->cells.size(), 9u);
  EXPECT_EQ(mgr->LoadLabelSpec(u"/"), 0);  // too short
  EXPECT_EQ(mgr->LoadLabelSpec(u"/no/such/folder"), 0);
}

}  // namespace
