#include <gtest/gtest.h>
#include <climits>

#include <cstdlib>
#include <filesystem>

#include "TestEnvironment.h"
#include "qel/QelLayout.h"
#include "qel/QelPaint.h"

namespace {

std::string Layouts() { return QEL_TEST_LAYOUTS; }

struct Held {
  QelObject h;
  explicit Held(QelObject o) : h(o) {}
  ~Held() {
    if (h) Qel0Release(h);
  }
};

QelObject Find(QelObject panel, const char* name, int deep = 1) {
  return reinterpret_cast<QelObject>(
      Qel0Inter(panel, QEL_IF_PANEL, 12, deep, reinterpret_cast<QELLPARAM>(name)));
}

TEST(Layout, LoadsElementsWithTypeFromAttribute) {
  Held root(QelCreateLayout(("$M\\" + Layouts() + "/Controls.aui").c_str()));
  ASSERT_NE(root.h, nullptr);
  auto* e = qel::Element::From(Find(root.h, "butn_Photo"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->ClassName(), "butn");
  EXPECT_EQ(e->Text(), u"Photo");
  EXPECT_EQ(e->Tips(), u"Take a photo");
  EXPECT_EQ(e->Position().x, 10);
  EXPECT_EQ(e->LaidOutSize().cx, 80);
  // "radg" has no prefix that says its class; the attribute does.
  EXPECT_EQ(qel::Element::From(Find(root.h, "radg"))->ClassName(), "radg");
  auto* combo = qel::Element::From(Find(root.h, "comb_Size"));
  ASSERT_EQ(combo->Items().size(), 2u);
  EXPECT_EQ(combo->Selection(), 1);
  EXPECT_EQ(combo->Items()[1].tip, u"HD");
  EXPECT_FALSE(qel::Element::From(Find(root.h, "butn_Hidden"))->Visible());
  EXPECT_FALSE(qel::Element::From(Find(root.h, "butn_Off"))->Enabled());
  // A filling panel takes the root's width.
  EXPECT_EQ(qel::Element::From(Find(root.h, "Capture"))->LaidOutSize().cx, 400);
}

TEST(Layout, NameLookupIgnoresCaseAndDepthMatters) {
  Held root(QelCreateLayout((Layouts() + "/Controls.aui").c_str()));
  ASSERT_NE(root.h, nullptr);
  EXPECT_EQ(Find(root.h, "capture"), Find(root.h, "Capture"));
  EXPECT_NE(Find(root.h, "BUTN_PHOTO"), nullptr);
  EXPECT_EQ(Find(root.h, "butn_Photo", 0), nullptr);  // not a direct child
  EXPECT_NE(Find(root.h, "Capture", 0), nullptr);
  EXPECT_EQ(Find(root.h, "butn_Phot"), nullptr);
  EXPECT_EQ(Find(root.h, nullptr), nullptr);
}

TEST(Layout, BadFilesGiveNoLayout) {
  auto dir = testenv::MakeTempDir("aui");
  struct Case {
    const char* name;
    const char* xml;
  } cases[] = {
      {"notxml.aui", "<layout"},
      {"root.aui", "<panel/>"},
      {"type.aui", "<layout><element name='a' type='button'/></layout>"},
      {"notype.aui", "<layout><element name='a'/></layout>"},
      {"number.aui", "<layout><element type='butn' w='ten'/></layout>"},
      {"colour.aui", "<layout><element type='butn' bg='red'/></layout>"},
      // Positions and sizes beyond what any window needs, or beyond 32 bits.
      {"wide.aui", "<layout><element type='butn' x='10' w='2147483647'/></layout>"},
      {"far.aui", "<layout><element type='butn' x='-1048577'/></layout>"},
      {"huge.aui", "<layout><element type='butn' h='99999999999'/></layout>"},
      {"font.aui", "<layout><element type='text' size='2147483647'/></layout>"},
      {"sel.aui", "<layout><element type='comb' sel='1st'><item text='a'/></element></layout>"},
  };
  for (const Case& c : cases) {
    testenv::WriteFile(dir / c.name, c.xml);
    EXPECT_EQ(QelCreateLayout((dir / c.name).c_str()), nullptr) << c.name;
  }
  EXPECT_EQ(QelCreateLayout((dir / "missing.aui").c_str()), nullptr);
  EXPECT_EQ(QelCreateLayoutW(nullptr), nullptr);
}

TEST(Layout, ArithmeticHoldsAtTheLargestAcceptedValues) {
  // Margins and sizes at the reader's bound, side by side in flowing panels
  // and filling their parents, never wrap around.
  const std::string big = std::to_string(kQelLayoutMaxCoordinate);
  const std::string neg = std::to_string(-kQelLayoutMaxCoordinate);
  std::string xml = "<layout w='" + big + "' h='" + big + "'><element type='cata' name='row' flow='h' width='fill' "
                    "height='fill' x='" + neg + "' right='" + neg + "'>";
  for (int i = 0; i < 3000; ++i)
    xml += "<element type='butn' x='" + big + "' w='" + big + "' right='" + big + "'/>";
  xml += "</element><element type='cata' flow='v' x='" + big + "' y='" + big + "' w='" + big + "' h='" + big + "'>";
  for (int i = 0; i < 3000; ++i) xml += "<element type='butn' y='" + big + "' h='" + big + "' height='fill'/>";
  xml += "</element></layout>";
  qel::Element* loaded = qel::LoadLayoutString(xml, "/");
  ASSERT_NE(loaded, nullptr);
  Held root(loaded->Handle());
  std::vector<qel::Element*> all{qel::Element::From(root.h)};
  for (size_t i = 0; i < all.size(); ++i)
    for (qel::Element* c : all[i]->Children()) all.push_back(c);
  ASSERT_EQ(all.size(), 6003u);
  for (qel::Element* e : all) {
    SRect32 r = e->Bounds();
    ASSERT_LE(r.left, r.right);
    ASSERT_LE(r.top, r.bottom);
    ASSERT_GE(e->LaidOutSize().cx, 0);
    ASSERT_GE(e->LaidOutSize().cy, 0);
  }
  // Children flow on in order, never wrapping back, even where the sum is
  // held at its bound.
  auto& row = all[1]->Children();
  auto& column = all[2]->Children();
  EXPECT_LT(row[0]->Bounds().left, row[1]->Bounds().left);
  for (size_t i = 1; i < row.size(); ++i) ASSERT_GE(row[i]->Bounds().left, row[i - 1]->Bounds().left) << i;
  for (size_t i = 1; i < column.size(); ++i) ASSERT_GE(column[i]->Bounds().top, column[i - 1]->Bounds().top) << i;
}

TEST(Layout, TextWiderThanPangoCanCountIsHeldLikeTheLayoutBounds) {
  // At the largest font, 3000 wide letters measure millions of pixels:
  // more than Pango's 1/1024-pixel int can hold.
  const std::string wide(3000, 'W');
  const std::string xml = "<layout w='640' h='480'><element type='cata' flow='h' width='fill' h='100'>"
                          "<element type='text' name='wide' width='text' h='50' size='" +
                          std::to_string(kQelLayoutMaxFontSize) + "' text='" + wide +
                          "'/><element type='ctxt' name='after' width='text' h='50' size='" +
                          std::to_string(kQelLayoutMaxFontSize) + "' text='" + wide + "'/></element></layout>";
  qel::Element* loaded = qel::LoadLayoutString(xml, "/");
  ASSERT_NE(loaded, nullptr);
  Held root(loaded->Handle());
  qel::Element* text = qel::Element::From(Find(root.h, "wide"));
  qel::Element* after = qel::Element::From(Find(root.h, "after"));
  ASSERT_TRUE(text && after);
  EXPECT_EQ(text->Bounds().right - text->Bounds().left, kQelLayoutMaxCoordinate);
  EXPECT_LE(after->Bounds().left, after->Bounds().right);
  // Drawn (the sanitizer run checks every sum on the way).
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 48);
  cairo_t* cr = cairo_create(surface);
  qel::PaintTree(cr, loaded);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  constexpr int PANGO_SCALE = 1024;
  struct Case {
    int64_t pixels;
    int pango;
  } cases[] = {{-3, -1}, {0, 0}, {10, 10 * PANGO_SCALE}, {2097151, 2097151 * PANGO_SCALE},
               {2097152, INT_MAX / PANGO_SCALE * PANGO_SCALE}, {int64_t(1) << 40, INT_MAX / PANGO_SCALE * PANGO_SCALE}};
  for (const Case& c : cases) EXPECT_EQ(qel::PangoWidth(c.pixels), c.pango) << c.pixels;
}

TEST(Layout, WideAndRootedPaths) {
  auto contents = testenv::MakeTempDir("Demo.app") / "Contents";
  std::filesystem::create_directories(contents / "UI");
  std::filesystem::copy_file(Layouts() + "/Controls.aui", contents / "UI" / "main.aui");
  QelSetAppRoot(contents.c_str());
  EXPECT_EQ(QelResolvePath("$app\\UI\\main.aui"), (contents / "UI" / "main.aui").string());
  EXPECT_EQ(QelResolvePath("$M\\/tmp/x\\y.aui"), "/tmp/x/y.aui");
  EXPECT_EQ(QelResolvePath("$M\\tmp//a.aui"), "/tmp/a.aui");
  Held root(QelCreateLayoutW(u"$app\\UI\\main.aui"));
  EXPECT_NE(root.h, nullptr);
  Held root2(QelCreateLayoutW(u"$app/UI/main.aui"));
  EXPECT_NE(root2.h, nullptr);
}

TEST(Layout, BundleVariableSetsAppRoot) {
  auto app = testenv::MakeTempDir("B") / "X.app";
  setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  EXPECT_EQ(QelGetAppRoot(), (app / "Contents").string());
}

TEST(StringTableTest, TextsByNumber) {
  Held table(QelCreateAUI((Layouts() + "/Strings.aui").c_str()));
  ASSERT_NE(table.h, nullptr);
  EXPECT_EQ(Qel0GetType(table.h), QEL_KIND_STRINGTABLE);
  auto* text = reinterpret_cast<const WCHAR*>(Qel0Inter(table.h, QEL_IF_AUI, 2, 27, 0));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text), u"Do you want to delete the selected files?");
  EXPECT_EQ(Qel0Inter(table.h, QEL_IF_AUI, 2, 28, 0), 0);
  EXPECT_EQ(QelCreateAUI((Layouts() + "/Controls.aui").c_str()), nullptr);
  EXPECT_EQ(QelCreateAUIW(u"/no/such/file.aui"), nullptr);
}

TEST(StringTableTest, IdsPast32BitsAreNotOtherIdsCutShort) {
  auto dir = testenv::MakeTempDir("aui");
  testenv::WriteFile(dir / "ids.aui", "<strings><s id='4294967297'>far</s><s id='-2147483649'>below</s>"
                                      "<s id='2147483647'>last</s><s id='1'>one</s></strings>");
  auto* table = new qel::StringTable();
  ASSERT_TRUE(table->Load((dir / "ids.aui").string()));
  EXPECT_EQ(table->Count(), 2u);
  ASSERT_NE(table->Find(1), nullptr);
  EXPECT_EQ(*table->Find(1), u"one");
  ASSERT_NE(table->Find(INT32_MAX), nullptr);
  EXPECT_EQ(table->Find(INT32_MAX - 1), nullptr);
  table->Release();
}

}  // namespace
