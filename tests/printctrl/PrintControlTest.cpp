// The 'prtc' element as a host meets it: registration, commands and their
// refusals, settings, notifications, template application, free layout,
// and photos that leave the project but never the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PrintCtrlClass.h"
#include "PrintCtrlTestSupport.h"
#include "PrintPage.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kPrtc = QelFourCC("prtc");

// A host element's view of the control: every notification in order.
struct Host {
  std::vector<std::pair<int32_t, intptr_t>> got;
  static int32_t Callback(QelObject, int32_t event, QELLPARAM param, void* user) {
    static_cast<Host*>(user)->got.emplace_back(event, param);
    return 7;
  }
  std::vector<int32_t> Codes() const {
    std::vector<int32_t> c;
    for (auto& g : got) c.push_back(g.first);
    return c;
  }
};

struct ControlTest : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(PrintControlInit(), 1);
    element = Qel0CreateObj(kPrtc);
    ASSERT_NE(element, nullptr);
    qel::Element::From(element)->SetCallback(&Host::Callback, &host);
    project = PrintCtrlProjectOf(element);
    ASSERT_NE(project, nullptr);
    dir = testenv::MakeTempDir("prtc");
    manager = new pctest::TemplatePrintManager();
    manager->AddRef();  // the host's own reference
    manager->cells = {{10, 10, 290, 390}, {300, 10, 580, 390}, {10, 400, 290, 780}, {300, 400, 580, 780}};
  }
  void TearDown() override {
    if (element) Qel0Release(element);
    manager->Release();
    PrintControlUninit();
  }
  intptr_t Cmd(uint32_t c, intptr_t w = 0, const void* l = nullptr) {
    return Qel0Inter(element, 53, int32_t(c), w, reinterpret_cast<QELLPARAM>(l));
  }
  std::u16string Photo(const std::string& name, int w = 60, int h = 40) {
    return pctest::WritePng(imgtest::Scene(w, h), dir / name);
  }
  void Attach() {
    ASSERT_EQ(Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager))), 1);
    ASSERT_EQ(Cmd(11), 1);  // apply the manager's template
  }
  intptr_t AddPhoto(const std::u16string& p) { return Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1))); }
  long Pages() { return long(Cmd(6)); }

  QelObject element = nullptr;
  CPrintProject* project = nullptr;
  Host host;
  pctest::TemplatePrintManager* manager = nullptr;
  fs::path dir;
};

TEST_F(ControlTest, ElementClassLifecycle) {
  // A copied element gets a project of its own, empty.
  Attach();
  AddPhoto(Photo("a.png"));
  QelObject copy = Qel0CopyObject(element);
  ASSERT_NE(copy, nullptr);
  CPrintProject* other = PrintCtrlProjectOf(copy);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, project);
  EXPECT_EQ(other->GetPageCount(), 0);
  Qel0Release(copy);
  // Unregistered, the class makes no more controls.
  EXPECT_EQ(PrintControlUninit(), 1);
  QelObject plain = Qel0CreateObj(kPrtc);
  EXPECT_EQ(PrintCtrlProjectOf(plain), nullptr);
  EXPECT_EQ(Qel0Inter(plain, 53, 6, 0, 0), QEL_E_NOTIMPL);
  Qel0Release(plain);
  EXPECT_EQ(PrintControlInit(), 1);
}

TEST_F(ControlTest, CommandRefusals) {
  EXPECT_EQ(Cmd(37), 0);
  EXPECT_EQ(Cmd(31), 1);
  EXPECT_EQ(Cmd(30, 0), 1);
  EXPECT_EQ(Cmd(6), 0);
  EXPECT_EQ(Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager))), 0);  // gate closed
  EXPECT_EQ(Cmd(31), 0);
  Cmd(30, 1);
  Attach();
  int32_t current = -1;
  EXPECT_EQ(Cmd(6, 0, &current), 1);
  EXPECT_EQ(current, 1);
  // Command 7: never a result; only a real other page changes anything.
  for (intptr_t n : {0, 1, 2, 99}) EXPECT_EQ(Cmd(7, n), 0);
  EXPECT_EQ(project->GetCurrentPage(), 0);
  EXPECT_EQ(Cmd(34, 0), 0);
  EXPECT_EQ(Cmd(34, 101), 0);
  EXPECT_EQ(Cmd(34, 5), 1);  // no picture: nothing to do
  EXPECT_EQ(Cmd(19, 0, reinterpret_cast<const void*>(intptr_t(9))), 0);
  EXPECT_EQ(Cmd(19, 0, reinterpret_cast<const void*>(intptr_t(0))), 1);
  EXPECT_EQ(Cmd(26, 0), 4);
  EXPECT_EQ(Cmd(26, 5), 0);
  EXPECT_EQ(Cmd(21, 3, nullptr), 0);
  EXPECT_EQ(Cmd(8, 0, nullptr) != 0, true);  // the empty page at paper size
  Qel0Release(reinterpret_cast<QelObject>(Cmd(8, 0, nullptr)));
  SIZE zero{0, 5};
  EXPECT_EQ(Cmd(8, 0, &zero), 0);
  EXPECT_EQ(Cmd(25, 0, nullptr), 0);
  SIZE s{1, 1};
  EXPECT_EQ(Cmd(24, 0, &s), 0);
  EXPECT_EQ(s.cx, 0);
  tagCELLINFO info{};
  EXPECT_EQ(Cmd(27, 0, nullptr), 0);
  EXPECT_EQ(Cmd(27, 9, &info), 0);  // no cell 9
  ASSERT_EQ(Cmd(27, 0, &info), 1);
  EXPECT_EQ(info.kind, 2);  // an empty picture cell
}

// Commands 24, 25 and 27 describe a turned cell as the host sees it.
TEST_F(ControlTest, CellQueries) {
  Attach();
  std::u16string p = Photo("a.png", 60, 40);
  ASSERT_EQ(AddPhoto(p), 1);
  CPrintCell* c = project->GetPage(0)->GetCell(0);
  for (long turn : {90L, 90L, 45L}) {
    c->DoRotate(turn);
    long a;
    int fa, fb;
    c->GetImgState(a, fa, fb);
    SIZE s{};
    ASSERT_EQ(Cmd(24, 0, &s), 1);
    const bool odd = a % 180 == 90;
    EXPECT_EQ(s.cx, odd ? 40 : 60) << a;
  }
  WCHAR name[1024];
  EXPECT_EQ(Cmd(25, 0, name), long(p.size()));
  EXPECT_EQ(std::u16string(name), p);
  tagCELLINFO info{};
  info.request = 1 | 2 | 4;
  ASSERT_EQ(Cmd(27, 0, &info), 1);
  EXPECT_EQ(info.kind, 0);
  EXPECT_EQ(std::u16string(info.fileName), p);
  ASSERT_NE(info.dispPic, nullptr);
  ASSERT_NE(info.printPic, nullptr);
  SIZE d{}, q{};
  info.dispPic->GetSize(&d);
  info.printPic->GetSize(&q);
  EXPECT_EQ(d.cx, q.cx);  // both as the cell shows the picture
  info.dispPic->Release();
  info.printPic->Release();
}

TEST_F(ControlTest, SettingsRoundTrips) {
  // The turn angle: stored as 360 - angle.
  int32_t v = 0;
  EXPECT_EQ(Cmd(18, 223, &v), 1);
  EXPECT_EQ(v, 270);
  Cmd(2, 223, reinterpret_cast<const void*>(intptr_t(90)));
  Cmd(18, 223, &v);
  EXPECT_EQ(v, 90);
  Cmd(2, 223, reinterpret_cast<const void*>(intptr_t(45)));
  Cmd(18, 223, &v);
  EXPECT_EQ(v, 270);
  for (intptr_t id : {3, 19, 20, 22}) {
    EXPECT_EQ(Cmd(2, id, reinterpret_cast<const void*>(intptr_t(5))), 1);
    EXPECT_EQ(Cmd(18, id, nullptr), 0);
  }
  int32_t big = 65535, cells = 0;
  EXPECT_EQ(Cmd(2, 214, &big), 0);
  Cmd(18, 214, &cells);
  EXPECT_EQ(cells, 999);
  int32_t size[2] = {-5, 120};
  EXPECT_EQ(Cmd(2, 202, size), 1);
  int32_t back[2] = {};
  EXPECT_EQ(Cmd(18, 202, back), 0);  // fills, answers 0
  EXPECT_EQ(back[0], 0);
  EXPECT_EQ(back[1], 120);
  // Texts: bounded both ways.
  std::u16string label = u"Holiday";
  EXPECT_EQ(Cmd(2, 203, label.c_str()), 1);
  WCHAR buffer[1024] = {};
  EXPECT_EQ(Cmd(18, 203, buffer), 1);
  EXPECT_EQ(std::u16string(buffer), label);
  std::u16string huge(2000, u'x');
  EXPECT_EQ(Cmd(2, 229, huge.c_str()), 0);
  EXPECT_EQ(Cmd(18, 207, nullptr), 10);  // "Corvelle 5"
  int32_t disp[2] = {1200, 900};
  Cmd(2, 210, disp);
  int32_t dispBack[2] = {};
  Cmd(18, 210, dispBack);
  EXPECT_EQ(dispBack[1], 900);
  // Settings that only change the view do not mark the project modified.
  host.got.clear();
  Cmd(2, 4, reinterpret_cast<const void*>(intptr_t(0)));
  Cmd(2, 12, reinterpret_cast<const void*>(intptr_t(0)));
  EXPECT_EQ(project->GetNeedSave(), 0);
}

TEST_F(ControlTest, NotificationsInOrder) {
  Attach();
  host.got.clear();
  ASSERT_EQ(AddPhoto(Photo("a.png")), 1);
  // Pages, then actions followed by the selected picture's state; the
  // project became modified on the way.
  std::vector<int32_t> codes = host.Codes();
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes.front() == 2114 || codes.front() == 2113, true);
  for (size_t i = 0; i < codes.size(); ++i) {
    if (codes[i] == 2113) {
      ASSERT_LT(i + 1, codes.size());
      EXPECT_EQ(codes[i + 1], 2112);
    }
  }
  EXPECT_NE(std::find(codes.begin(), codes.end(), 2114), codes.end());
  EXPECT_EQ(project->GetNeedSave(), 1);
  // Actions: the first cell holds a picture, the page is not empty, modified.
  uint32_t bits = project->_GetActionBtnState();
  EXPECT_EQ(bits & 0x7F0u, 0x7F0u);
  EXPECT_TRUE(bits & 0x20000u);
  EXPECT_TRUE(bits & 0x8000u);
  EXPECT_FALSE(bits & (0x1u | 0x1000u | 0x2000u | 0x10000u));
  // Codes outside the range and 2118 send nothing.
  host.got.clear();
  EXPECT_EQ(project->_PostMessage(2111, 0), 0);
  EXPECT_EQ(project->_PostMessage(2118, 0), 0);
  EXPECT_EQ(project->_PostMessage(2132, 0), 0);
  EXPECT_TRUE(host.got.empty());
  EXPECT_EQ(project->_PostMessage(2126, 55), 7);
  EXPECT_EQ(host.got.back().second, 0);
}

TEST_F(ControlTest, TemplateApplication) {
  Attach();
  ASSERT_EQ(Pages(), 1);
  std::vector<std::u16string> photos;
  for (int i = 0; i < 6; ++i) photos.push_back(Photo("p" + std::to_string(i) + ".png", 60 + i, 40));
  for (auto& p : photos) ASSERT_EQ(AddPhoto(p), 1);
  EXPECT_EQ(Pages(), 2);
  EXPECT_EQ(project->GetImageList()->GetPrintPicNum(), 6);
  // The same template again, orientation only: every picture stays put.
  project->m_nParam[26] = 1;
  const long res3 = project->GetPage(0)->GetCellResourceIndex(3);
  ASSERT_EQ(Cmd(11), 1);
  EXPECT_EQ(Pages(), 2);
  EXPECT_EQ(project->GetPage(0)->GetCellResourceIndex(3), res3);
  // Another template of two cells: the pictures follow in their order.
  manager->name = u"Two";
  manager->cells = {{10, 10, 580, 390}, {10, 400, 580, 780}};
  ASSERT_EQ(Cmd(11), 1);
  EXPECT_EQ(Pages(), 3);
  for (long p = 0; p < 3; ++p) {
    for (long c = 0; c < 2; ++c) {
      long res = project->GetPage(p)->GetCellResourceIndex(c);
      ASSERT_GE(res, 0);
      EXPECT_EQ(std::u16string(project->GetImageList()->GetFileName(res).c_str()), photos[size_t(p * 2 + c)]);
    }
  }
  EXPECT_EQ(project->GetImageList()->GetPrintPicNum(), 6);
  // Five copies of every picture: 30 cells, 15 pages.
  ASSERT_EQ(Cmd(34, 5), 1);
  EXPECT_EQ(Pages(), 15);
  // A manager without a template leaves the pages as they were.
  manager->cells.clear();
  manager->name = u"None";
}

TEST_F(ControlTest, CellGeometry) {
  Attach();
  pctest::TemplatePrintManager& m = *manager;
  m.dpi = 300;
  m.area = SRect32{0, 0, 2400, 3300};
  SIZE s = project->_CalculateCellSize(SIZE{3000, 2000}, 3);
  EXPECT_EQ(s.cx, 1200);
  EXPECT_EQ(s.cy, 800);
  s = project->_CalculateCellSize(SIZE{3000, 2000}, 12);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 1);
  EXPECT_EQ(project->_CalculateCellSize(SIZE{0, 5}, 3).cx, 0);
  // A 2 x 3 grid of 4-inch slots: the 7th cell starts again at the first
  // slot, a fifth of an inch lower.
  m.dpi = 100;
  m.area = SRect32{10, 10, 810, 1210};
  SRect32 first{}, seventh{};
  for (int i = 0; i < 7; ++i) {
    SRect32 r{0, 0, 300, 200};
    project->_AdjustPosition(r);
    if (i == 0) first = r;
    if (i == 6) seventh = r;
  }
  EXPECT_EQ(first.left, 10 + 50);
  EXPECT_EQ(first.top, 10 + 100);
  EXPECT_EQ(seventh.left, first.left);
  EXPECT_EQ(seventh.top, first.top + 20);
  // As wide as the area: only moved by its origin.
  SRect32 wide{0, 0, 800, 100};
  project->_AdjustPosition(wide);
  EXPECT_EQ(wide.left, 10);
  // An area too small for one slot: the cell goes to its corner.
  m.area = SRect32{5, 7, 105, 107};
  SRect32 small{0, 0, 50, 50};
  project->_AdjustPosition(small);
  EXPECT_EQ(small.left, 5);
  EXPECT_EQ(small.top, 7);
}

TEST_F(ControlTest, FreeLayoutPlacesOneCellPerCopy) {
  Attach();
  ASSERT_EQ(Cmd(2, 6, reinterpret_cast<const void*>(intptr_t(1))), 1);
  ASSERT_EQ(Pages(), 1);
  ASSERT_EQ(AddPhoto(Photo("a.png", 80, 60)), 1);
  ASSERT_EQ(AddPhoto(Photo("b.png", 60, 80)), 1);
  CPrintPage* page = project->GetPage(0);
  ASSERT_EQ(page->GetCellCount(), 2);
  SRect32 a = page->GetCell(0)->cellRect, b = page->GetCell(1)->cellRect;
  EXPECT_FALSE(a.left == b.left && a.top == b.top);  // two slots
  EXPECT_EQ((a.right - a.left) * 60, (a.bottom - a.top) * 80);  // the picture's shape, 4 inches at most
  EXPECT_LE(a.right - a.left, 400);
  // Free-page cell limit.
  int32_t one = 2;
  Cmd(2, 214, &one);
  EXPECT_EQ(AddPhoto(Photo("c.png")), 0);
}

TEST_F(ControlTest, APhotoAddedTwice) {
  Attach();
  std::u16string p = Photo("a.png");
  ASSERT_EQ(AddPhoto(p), 1);
  EXPECT_EQ(AddPhoto(p), 0);  // by default a file already present is refused
  EXPECT_EQ(project->GetImageList()->GetCount(), 1);
  Cmd(2, 28, reinterpret_cast<const void*>(intptr_t(0)));
  ASSERT_EQ(AddPhoto(p), 1);  // now a second copy of the same entry
  CPrintPage* page = project->GetPage(0);
  EXPECT_EQ(page->GetCellResourceIndex(0), page->GetCellResourceIndex(1));
  EXPECT_EQ(project->GetImageList()->GetCopies(page->GetCellResourceIndex(0)), 2);
  EXPECT_EQ(project->GetImageList()->GetCount(), 1);
  // Removed: every cell showing it empties.
  EXPECT_EQ(Cmd(23, reinterpret_cast<intptr_t>(p.c_str())), 1);
  EXPECT_EQ(page->GetCellResourceIndex(0), -1);
  EXPECT_EQ(project->GetImageList()->GetPrintPicNum(), 0);
}

// Whatever drops a photo from the project, the file stays on disk; a refresh
// without a new path marked "edited" never makes it the project's to delete.
TEST_F(ControlTest, ThePhotoOnDiskSurvivesEverySequence) {
  std::u16string p = Photo("keep.png");
  std::u16string q = Photo("other.png");
  const std::vector<std::vector<int>> sequences = {
      {17, 12, 23}, {17, 12, 10}, {17, 34, 23, 12}, {17, 17, 12, 4}, {17, 36, 12, 23, 10}};
  for (const auto& seq : sequences) {
    for (int c : seq) {
      switch (c) {
        case 17: AddPhoto(p); break;
        case 36: Cmd(36, reinterpret_cast<intptr_t>(q.c_str())); break;
        case 12: Cmd(12, intptr_t(1) << 16, nullptr); break;  // edited, no new path
        case 23: Cmd(23, reinterpret_cast<intptr_t>(p.c_str())); break;
        case 10: Cmd(10, 0, reinterpret_cast<const void*>(intptr_t(-1))); break;
        case 34: Cmd(34, 2); break;
        case 4: Cmd(4); break;
      }
    }
    EXPECT_TRUE(fs::exists(dir / "keep.png"));
  }
  Attach();
  AddPhoto(p);
  Cmd(12, intptr_t(1) << 16, nullptr);
  Cmd(23, reinterpret_cast<intptr_t>(p.c_str()));
  Qel0Release(element);
  element = nullptr;
  EXPECT_TRUE(fs::exists(dir / "keep.png"));
  EXPECT_TRUE(fs::exists(dir / "other.png"));
}

// The string table of the resource folder: a page-number text is taken only
// with exactly two whole-number conversions.
TEST_F(ControlTest, ResourceTexts) {
  auto write = [&](const std::string& format) {
    testenv::WriteFile(dir / "prctRes.aui", "<strings lang=\"en\"><s id=\"2\">" + format + "</s><s id=\"3\">Nothing</s></strings>");
  };
  std::u16string folder = pctest::U16(dir) + u"/";
  ASSERT_EQ(Cmd(2, 215, folder.c_str()), 1);
  write("%s of %d");
  Attach();
  EXPECT_EQ(project->GetPageNumFormat(), u"Page %d of %d");
  write("Seite %d von %d");
  Attach();
  EXPECT_EQ(project->GetPageNumFormat(), u"Seite %d von %d");
}

// The host owns its reference to the manager; the control holds one more
// while attached and gives it back when replaced or destroyed.
TEST_F(ControlTest, ThePrintManagerIsReferenceCounted) {
  bool firstGone = false, secondGone = false;
  auto* second = new pctest::TemplatePrintManager();
  second->AddRef();
  second->destroyed = &secondGone;
  manager->destroyed = &firstGone;
  Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(manager)));
  Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(second)));
  EXPECT_FALSE(firstGone);
  EXPECT_EQ(Cmd(0, 0), 1);  // detached
  EXPECT_FALSE(secondGone);
  Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(second)));
  Qel0Release(element);
  element = nullptr;
  EXPECT_FALSE(secondGone);
  second->Release();
  EXPECT_TRUE(secondGone);
  manager->destroyed = nullptr;
}

}  // namespace
