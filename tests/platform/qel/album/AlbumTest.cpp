#include <gtest/gtest.h>


#include <string>
#include <vector>

#include "TestEnvironment.h"
#include "qel/QelAlbum.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"
#include "qel/QelMessage.h"
#include "qel/QelWindow.h"

namespace hl = qel::headless;
using qel::Album;
using qel::PointerInput;

namespace {

struct Event {
  int32_t event, index, flag;
  bool operator==(const Event& o) const { return event == o.event && index == o.index && flag == o.flag; }
};

void PrintTo(const Event& e, std::ostream* os) { *os << "{" << e.event << ", " << e.index << ", " << e.flag << "}"; }

int32_t Record(QelObject, int32_t event, QELLPARAM param, void* data) {
  auto* rec = reinterpret_cast<QelAlbumItemNotify*>(param);
  static_cast<std::vector<Event>*>(data)->push_back({event, rec ? rec->index : -99, rec ? rec->flag : -99});
  return 0;
}

// A window of 220 x 160 holding an album of 200 x 150 at (10, 5) whose
// cells are 50 x 50: four per row, three per row once the bar is needed.
class AlbumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::Element* root = qel::LoadLayoutString(
        "<layout w='220' h='160' bg='#ffffff'>"
        "<element type='albm' name='albumtable' x='10' y='5' w='200' h='150'/>"
        "<element type='cata' name='cata_Thumb' w='50' h='50' visible='0'>"
        "  <element type='view' name='view_ThumbImage' x='5' y='5' w='40' h='40' bg='#3070c0'/>"
        "  <element type='view' name='Select' w='50' h='50' visible='0'/>"
        "</element></layout>",
        "");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(window_.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
    root->Release();
    album_ = static_cast<Album*>(hl::FindElement(&window_, "albumtable"));
    ASSERT_NE(album_, nullptr);
    ASSERT_EQ(album_->ClassName(), "albm");
    QelObject h = album_->Handle();
    Qel0Inter(h, QEL_IF_ALBUM, 2, 50, 0);
    Qel0Inter(h, QEL_IF_ALBUM, 4, 50, 0);
    Qel0Inter(h, QEL_IF_ALBUM, 20, 0, reinterpret_cast<QELLPARAM>(hl::FindElement(&window_, "cata_Thumb")->Handle()));
    Qel0Inter(h, QEL_IF_ALBUM, 6, 1, 0);
    Qel0Inter(h, QEL_IF_ALBUM, 8, 999, 0);
    Qel0Inter(h, QEL_IF_ALBUM, 18, 1, 0);
    Qel0Inter(h, QEL_IF_ALBUM, 41, 1, 0);
    Qel0Inter(h, QEL_IF_ELEMENT, 18, reinterpret_cast<QELWPARAM>(&Record), reinterpret_cast<QELLPARAM>(&events_));
  }
  void TearDown() override {
    window_.Close();
    hl::PumpUntilIdle();
  }

  intptr_t Call(int32_t method, QELWPARAM w = 0, QELLPARAM l = 0) {
    return Qel0Inter(album_->Handle(), QEL_IF_ALBUM, method, w, l);
  }
  void Fill(int32_t n) {
    for (int32_t i = 0; i < n; ++i) Call(27, -1, i + 1000);
  }
  std::vector<int32_t> Shown() {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < album_->Count(); ++i) {
      if (Call(19, i)) out.push_back(i);
    }
    return out;
  }
  std::vector<Event> Take(int32_t event) {
    std::vector<Event> out;
    for (const Event& e : events_) {
      if (e.event == event) out.push_back(e);
    }
    events_.clear();
    return out;
  }
  bool Press(int32_t x, int32_t y, uint32_t modifiers = 0, PointerInput::Kind kind = PointerInput::kDown) {
    PointerInput in;
    in.kind = kind;
    in.at = POINT{x, y};
    in.modifiers = modifiers;
    bool taken = qel::input::Pointer(&window_, in);
    in.kind = PointerInput::kUp;
    qel::input::Pointer(&window_, in);
    return taken;
  }

  CQelWindow window_;
  Album* album_ = nullptr;
  std::vector<Event> events_;
};

}  // namespace

TEST_F(AlbumTest, OnlyTheCellsInViewHavePanels) {
  Fill(5000);
  hl::PumpUntilIdle();
  // 5000 items need a bar: three columns of 50 in 190, three rows in 150.
  EXPECT_EQ(album_->PerLine(), 3);
  std::vector<int32_t> first = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Shown(), first);
  std::vector<Event> shown = Take(2053);
  ASSERT_EQ(shown.size(), 9u);
  EXPECT_EQ(shown.front(), (Event{2053, 0, 1}));
  EXPECT_EQ(album_->Children().size(), 9u);

  // Far down: the old panels go (told first), the new cells get panels.
  album_->SetScrollOffset(100 * 50 + 25);  // half of row 100 scrolled out
  hl::PumpUntilIdle();
  std::vector<Event> moved = Take(2053);
  size_t gone = 0, came = 0;
  for (const Event& e : moved) (e.flag ? came : gone)++;
  EXPECT_EQ(gone, 9u);
  EXPECT_EQ(came, 12u);  // rows 100 to 103, the first and last in part
  EXPECT_EQ(Shown().front(), 300);
  EXPECT_EQ(Shown().back(), 311);
  EXPECT_EQ(Call(19, 0), 0);
  QelAlbumQuery q{305, -1};
  EXPECT_EQ(Call(23, 0, reinterpret_cast<QELLPARAM>(&q)), QEL_S_OK);
  EXPECT_EQ(q.answer, 1);
  POINT lo{}, hi{};
  Call(36, 0, reinterpret_cast<QELLPARAM>(&lo));
  Call(47, 0, reinterpret_cast<QELLPARAM>(&hi));
  EXPECT_EQ(lo.x, 0);
  EXPECT_EQ(lo.y, 100);
  EXPECT_EQ(hi.x, 2);
  EXPECT_EQ(hi.y, 103);

  // A hidden album shows nothing; shown again it rebuilds what is in view.
  album_->Show(false);
  hl::PumpUntilIdle();
  EXPECT_TRUE(Shown().empty());
  album_->Show(true);
  hl::PumpUntilIdle();
  EXPECT_EQ(Shown().size(), 12u);

  // Panels are placed in their cells and drawn clipped to the album.
  auto png = (testenv::BuildDir().empty() ? testenv::MakeTempDir("png") : testenv::BuildDir()) / "album-grid.png";
  ASSERT_TRUE(hl::RenderPng(&window_, png.string()));
  qel::Element* panel = qel::Element::From(reinterpret_cast<QelObject>(Call(19, 301)));
  ASSERT_NE(panel, nullptr);
  SRect32 r = panel->Bounds();
  EXPECT_EQ(r.left, 10 + 50);
  EXPECT_EQ(r.top, 5 - 25);
}

TEST_F(AlbumTest, SelectionAndTheCurrentItemFollowInsertsAndDeletes) {
  Fill(6);
  hl::PumpUntilIdle();
  events_.clear();
  QelAlbumSelect alone{2, 1, 1};
  ASSERT_EQ(Call(42, 0, reinterpret_cast<QELLPARAM>(&alone)), QEL_S_OK);
  QelAlbumCurrent cur{2, 1};
  ASSERT_EQ(Call(43, 0, reinterpret_cast<QELLPARAM>(&cur)), QEL_S_OK);
  EXPECT_EQ(events_, (std::vector<Event>{{2054, 2, 1}, {2057, 2, 1}}));
  events_.clear();

  // A new item at the head moves the others down a place.
  EXPECT_EQ(Call(27, 0, 999), 0);
  EXPECT_EQ(Call(25), 3);
  EXPECT_EQ(Call(70, 3), 1);
  EXPECT_EQ(Call(56, 0), 999);
  int32_t picked[8] = {};
  EXPECT_EQ(Call(67, 8, reinterpret_cast<QELLPARAM>(picked)), 1);
  EXPECT_EQ(picked[0], 3);

  // Many at once are told as one change; the list comes back in order.
  QelAlbumSelect all{-1, 1, 0};
  ASSERT_EQ(Call(42, 0, reinterpret_cast<QELLPARAM>(&all)), QEL_S_OK);
  EXPECT_EQ(Take(2054), (std::vector<Event>{{2054, -1, 1}}));
  EXPECT_EQ(Call(66), 7);
  EXPECT_EQ(Call(67, 3, reinterpret_cast<QELLPARAM>(picked)), 3);
  EXPECT_EQ(picked[2], 2);

  // Deleting the current item makes the next one current; deleting the
  // last ones leaves the new last item current.
  EXPECT_EQ(Call(30, 3), QEL_S_OK);
  EXPECT_EQ(Call(25), 3);
  EXPECT_EQ(Take(2057), (std::vector<Event>{{2057, 3, 1}}));
  cur = {5, 1};
  Call(43, 0, reinterpret_cast<QELLPARAM>(&cur));
  Call(30, 5);
  EXPECT_EQ(Call(25), 4);
  EXPECT_EQ(Call(15), 5);
  EXPECT_EQ(Call(30, 5), QEL_E_INVALIDARG);
  Call(69);
  EXPECT_EQ(Call(15), 0);
  EXPECT_EQ(Call(25), -1);
  EXPECT_EQ(Call(66), 0);
  hl::PumpUntilIdle();
  EXPECT_TRUE(album_->Children().empty());
}

TEST_F(AlbumTest, ThePointerSelectsOpensAndScrolls) {
  Fill(40);
  hl::PumpUntilIdle();
  events_.clear();
  // Cell (1, 0) lies at window (10 + 50..99, 5 + 0..49).
  EXPECT_TRUE(Press(70, 20));
  EXPECT_EQ(Call(25), 1);
  EXPECT_EQ(Qel0GetGValue(2), reinterpret_cast<intptr_t>(album_->Handle()));
  EXPECT_TRUE(Press(20, 70, PointerInput::kControl));  // (0, 1) = item 3
  EXPECT_TRUE(Press(120, 120, PointerInput::kShift));  // (2, 2) = item 8, range from 3
  int32_t picked[16] = {};
  int32_t n = int32_t(Call(67, 16, reinterpret_cast<QELLPARAM>(picked)));
  EXPECT_EQ(std::vector<int32_t>(picked, picked + n), (std::vector<int32_t>{3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(Press(70, 20, PointerInput::kControl));  // item 1 joins
  EXPECT_EQ(Call(66), 7);
  events_.clear();
  Press(70, 20, 0, PointerInput::kDouble);
  EXPECT_EQ(Take(4), (std::vector<Event>{{4, 1, 0}}));

  // The wheel scrolls and the new cells are there at once.
  PointerInput wheel;
  wheel.kind = PointerInput::kWheel;
  wheel.at = POINT{50, 50};
  wheel.wheel = 4.0;  // four steps of half a cell
  EXPECT_TRUE(qel::input::Pointer(&window_, wheel));
  EXPECT_EQ(album_->ScrollOffset(), 100);
  EXPECT_EQ(Shown().front(), 6);
  // The track below the bar's thumb: a page further; dragging the thumb to
  // the end shows the last row.
  EXPECT_TRUE(Press(205, 150));
  EXPECT_EQ(album_->ScrollOffset(), 250);
  PointerInput drag;
  drag.at = POINT{205, 70};  // on the thumb
  EXPECT_TRUE(qel::input::Pointer(&window_, drag));
  drag.kind = PointerInput::kMove;
  drag.at.y = 400;
  qel::input::Pointer(&window_, drag);
  drag.kind = PointerInput::kUp;
  qel::input::Pointer(&window_, drag);
  EXPECT_EQ(album_->ScrollOffset(), album_->MaxScrollOffset());
  EXPECT_EQ(Shown().back(), 39);
}

TEST_F(AlbumTest, ArrowKeysMoveTheCurrentItemWhenTheAlbumHasTheKeys) {
  Fill(40);
  hl::PumpUntilIdle();
  EXPECT_FALSE(qel::input::Key(&window_, 31, true));  // no focus yet
  Press(20, 20);                                      // item 0, and the keys
  struct Step {
    uint32_t key;
    int32_t current;
  } steps[] = {{29, 1}, {31, 4}, {31, 7}, {28, 6}, {30, 3}, {12, 12}, {11, 3}, {28, 2}, {30, 0}};
  for (const Step& s : steps) {
    EXPECT_TRUE(qel::input::Key(&window_, s.key, true));
    qel::input::Key(&window_, s.key, false);
    EXPECT_EQ(Call(25), s.current) << "key " << s.key;
    EXPECT_EQ(Call(66), 1);
  }
  Call(41, 0);  // key action off
  EXPECT_FALSE(qel::input::Key(&window_, 29, true));
}

TEST_F(AlbumTest, CellsAndPointsMapBothWays) {
  Fill(10);
  // One column flowing downwards that scrolls sideways (a strip).
  for (bool horizontal : {true, false}) {
    Call(18, horizontal);
    if (!horizontal) {
      Call(6, 1);
      Call(8, 1);
    }
    hl::PumpUntilIdle();
    struct Case {
      int32_t index;
      POINT cr;
    };
    std::vector<Case> cases = horizontal ? std::vector<Case>{{0, {0, 0}}, {4, {0, 1}}, {9, {1, 2}}}
                                         : std::vector<Case>{{0, {0, 0}}, {4, {4, 0}}, {9, {9, 0}}};
    for (const Case& c : cases) {
      POINT cr{};
      EXPECT_EQ(Call(46, c.index, reinterpret_cast<QELLPARAM>(&cr)), QEL_S_OK);
      EXPECT_EQ(cr.x, c.cr.x) << c.index;
      EXPECT_EQ(cr.y, c.cr.y) << c.index;
      int32_t back = -1;
      Call(48, reinterpret_cast<QELWPARAM>(&back), reinterpret_cast<QELLPARAM>(&cr));
      EXPECT_EQ(back, c.index);
      POINT p{cr.x * 50 + 10, cr.y * 50 + 10};  // relative to the album
      if (cr.x * 50 + 10 < 190 && cr.y * 50 + 10 < 140) {
        int32_t at = -1;
        Call(37, reinterpret_cast<QELWPARAM>(&at), reinterpret_cast<QELLPARAM>(&p));
        EXPECT_EQ(at, c.index);
      }
    }
    int32_t none = 0;
    POINT past = horizontal ? POINT{4, 0} : POINT{0, 1};  // past the end of a line
    Call(48, reinterpret_cast<QELWPARAM>(&none), reinterpret_cast<QELLPARAM>(&past));
    EXPECT_EQ(none, -1);
  }
}

TEST_F(AlbumTest, ACopyKeepsTheSettingsButNoItems) {
  Fill(3);
  hl::PumpUntilIdle();
  QelObject copy = Qel0CopyObject(album_->Handle());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Qel0GetType(copy), qel::kAlbumClass);
  EXPECT_EQ(Qel0Inter(copy, QEL_IF_ALBUM, 15, 0, 0), 0);
  EXPECT_EQ(Qel0Inter(copy, QEL_IF_ALBUM, 1, 0, 0), 50);
  EXPECT_EQ(qel::Element::From(copy)->Children().size(), 0u);
  Qel0Release(copy);
}

// Pointer input reaches the window first, as mouse messages with the point
// packed in lParam; a message the window marks handled never reaches the
// album, and a release it takes still ends the album's hold on the pointer.
TEST_F(AlbumTest, TheWindowSeesPointerInputFirstAndMayKeepIt) {
  Fill(8);
  hl::PumpUntilIdle();
  struct Seen {
    uint32_t msg;
    QELWPARAM wp;
    QELLPARAM lp;
  };
  std::vector<Seen> seen;
  bool keep = false;
  for (uint32_t msg : {QEL_WM_LBUTTONDOWN, QEL_WM_LBUTTONUP, QEL_WM_RBUTTONDOWN, QEL_WM_RBUTTONUP,
                       QEL_WM_LBUTTONDBLCLK, QEL_WM_MOUSEMOVE}) {
    window_.RegisterMessage(msg, [&, msg](QELWPARAM wp, QELLPARAM lp, bool& handled) -> intptr_t {
      seen.push_back({msg, wp, lp});
      handled = keep;
      return 0;
    });
  }
  Press(70, 20, PointerInput::kShift);  // item 1
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].msg, uint32_t(QEL_WM_LBUTTONDOWN));
  EXPECT_EQ(seen[0].wp, QELWPARAM(QEL_MK_LBUTTON | QEL_MK_SHIFT));
  EXPECT_EQ(seen[0].lp, QELLPARAM(20 << 16 | 70));
  EXPECT_EQ(seen[1].msg, uint32_t(QEL_WM_LBUTTONUP));
  EXPECT_EQ(album_->Current(), 1);

  keep = true;
  seen.clear();
  Press(120, 20);  // item 2: the window keeps both halves of the click
  EXPECT_EQ(album_->Current(), 1);
  EXPECT_EQ(seen.size(), 2u);

  keep = false;
  PointerInput right;
  right.button = 3;
  right.at = POINT{170, 20};  // item 3
  qel::input::Pointer(&window_, right);
  right.kind = PointerInput::kUp;
  qel::input::Pointer(&window_, right);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[2].msg, uint32_t(QEL_WM_RBUTTONDOWN));
  EXPECT_EQ(seen[3].msg, uint32_t(QEL_WM_RBUTTONUP));
  EXPECT_EQ(album_->Current(), 3);  // the item under the menu

  // The window takes a release while the album holds the pointer.
  PointerInput down;
  down.at = POINT{20, 20};
  qel::input::Pointer(&window_, down);
  keep = true;
  PointerInput up = down;
  up.kind = PointerInput::kUp;
  EXPECT_TRUE(qel::input::Pointer(&window_, up));
  keep = false;
  seen.clear();
  PointerInput move = down;
  move.kind = PointerInput::kMove;
  EXPECT_FALSE(qel::input::Pointer(&window_, move));  // nobody holds it any more
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, uint32_t(QEL_WM_MOUSEMOVE));
  for (uint32_t msg = QEL_WM_MOUSEMOVE; msg <= QEL_WM_MOUSEWHEEL; ++msg) window_.UnregisterMessage(msg);
}
