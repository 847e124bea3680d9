#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "qel/QelLayout.h"

namespace {

QelObject Find(QelObject panel, const char* name) {
  return reinterpret_cast<QelObject>(
      Qel0Inter(panel, QEL_IF_PANEL, 12, 1, reinterpret_cast<QELLPARAM>(name)));
}

class Elements : public ::testing::Test {
 protected:
  void SetUp() override {
    root = QelCreateLayout(QEL_TEST_LAYOUTS "/Controls.aui");
    ASSERT_NE(root, nullptr);
  }
  void TearDown() override { Qel0Release(root); }
  QelObject root = nullptr;
};

struct Event {
  QelObject element;
  int32_t event;
  QELLPARAM param;
};

int32_t Record(QelObject element, int32_t event, QELLPARAM param, void* data) {
  static_cast<std::vector<Event>*>(data)->push_back({element, event, param});
  return 0;
}

TEST_F(Elements, ClicksFireCallbacksOnlyWhenVisibleAndEnabled) {
  std::vector<Event> events;
  for (const char* name : {"butn_Photo", "butn_Hidden", "butn_Off", "chck_Record"}) {
    Qel0Inter(Find(root, name), QEL_IF_ELEMENT, 18, reinterpret_cast<QELWPARAM>(&Record),
              reinterpret_cast<QELLPARAM>(&events));
  }
  EXPECT_TRUE(qel::Element::From(Find(root, "butn_Photo"))->Click());
  EXPECT_FALSE(qel::Element::From(Find(root, "butn_Hidden"))->Click());
  EXPECT_FALSE(qel::Element::From(Find(root, "butn_Off"))->Click());
  QelObject check = Find(root, "chck_Record");
  qel::Element::From(check)->Click();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].element, Find(root, "butn_Photo"));
  EXPECT_EQ(events[0].event, QEL_EV_CLICK);
  EXPECT_EQ(Qel0Inter(check, QEL_IF_CHECK, 1, 0, 0), 1);  // a click ticks it
  // Hiding a parent hides the children for the user.
  Qel0Inter(Find(root, "Capture"), QEL_IF_ELEMENT, 8, 0, 0);
  EXPECT_FALSE(qel::Element::From(Find(root, "butn_Photo"))->Click());
  // A null callback removes it.
  Qel0Inter(check, QEL_IF_ELEMENT, 18, 0, 0);
  EXPECT_EQ(qel::Element::From(check)->Callback(), nullptr);
}

TEST_F(Elements, RadioButtonsExcludeEachOther) {
  qel::Element::From(Find(root, "rado_custombg"))->Click();
  EXPECT_EQ(qel::Element::From(Find(root, "rado_nobg"))->Check(), 0);
  EXPECT_EQ(qel::Element::From(Find(root, "rado_custombg"))->Check(), 1);
}

TEST_F(Elements, TextIsBoundedAndTerminated) {
  QelObject b = Find(root, "butn_Photo");
  EXPECT_EQ(Qel0Inter(b, QEL_IF_TEXT, 27, 0, reinterpret_cast<QELLPARAM>(u"Snapshot")), 0);
  WCHAR buf[5];
  EXPECT_EQ(Qel0Inter(b, QEL_IF_TEXT, 26, 5, reinterpret_cast<QELLPARAM>(buf)), 4);
  EXPECT_EQ(std::u16string(buf), u"Snap");
  EXPECT_EQ(Qel0Inter(b, QEL_IF_TEXT, 26, 0, reinterpret_cast<QELLPARAM>(buf)), 8);
  EXPECT_LT(Qel0Inter(b, QEL_IF_TEXT, 26, 5, 0), 0);
  // Typed text keeps to the edit limit.
  auto* edit = qel::Element::From(Find(root, "cedt_Prefix"));
  edit->TypeText(u"0123456789");
  EXPECT_EQ(edit->Text(), u"01234567");
}

TEST_F(Elements, ScrollValuesStayInRange) {
  QelObject s = Find(root, "hscrl_Volume");
  EXPECT_EQ(Qel0Inter(s, QEL_IF_SCROLL, 1, 0, 0), 50);
  Qel0Inter(s, QEL_IF_SCROLL, 2, 500, 0);
  EXPECT_EQ(Qel0Inter(s, QEL_IF_SCROLL, 1, 0, 0), 100);
  Qel0Inter(s, QEL_IF_SCROLL, 2, -5, 0);
  EXPECT_EQ(Qel0Inter(s, QEL_IF_SCROLL, 1, 0, 0), 0);
  qel::QelScrollInfo info{32, 63, 10, 20, 15, 3, 0, 1};
  Qel0Inter(s, QEL_IF_SCROLL, 4, 0, reinterpret_cast<QELLPARAM>(&info));
  qel::QelScrollInfo out{32, 63, 0, 0, 0, 0, 0, 0};
  Qel0Inter(s, QEL_IF_SCROLL, 3, 0, reinterpret_cast<QELLPARAM>(&out));
  EXPECT_EQ(out.nMin, 10);
  EXPECT_EQ(out.nMax, 20);
  EXPECT_EQ(out.nPage, 3);
  EXPECT_EQ(out.nPos, 15);
  static_assert(sizeof(qel::QelScrollInfo) == 32);
}

TEST_F(Elements, ScrollPositionStaysInRangeAtThe32BitLimits) {
  auto* s = qel::Element::From(Find(root, "hscrl_Volume"));
  struct Case {
    int32_t min, max, page, pos;
  } cases[] = {
      {INT32_MIN, INT32_MIN, INT32_MAX, 0},
      {INT32_MIN, INT32_MIN, 1000, INT32_MAX},
      {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX},
      {INT32_MIN, INT32_MAX, 0, INT32_MIN},
      {-10, 10, INT32_MAX, 5},
      {INT32_MAX, INT32_MAX, 2, INT32_MIN},
  };
  for (const Case& c : cases) {
    qel::QelScrollInfo info{32, 7, c.min, c.max, c.pos, c.page, 0, 1};
    Qel0Inter(s->Handle(), QEL_IF_SCROLL, 4, 0, reinterpret_cast<QELLPARAM>(&info));
    const qel::ScrollState& st = s->Scroll();
    EXPECT_GE(st.pos, st.min) << c.min << " " << c.max << " " << c.page;
    EXPECT_LE(st.pos, st.max) << c.min << " " << c.max << " " << c.page;
    // Growing the range by a count never wraps it below its start.
    Qel0Inter(s->Handle(), QEL_IF_SCROLL, 6, INT32_MAX, 0);
    EXPECT_GE(s->Scroll().max, s->Scroll().min);
  }
}

TEST_F(Elements, ComboBoxItems) {
  QelObject c = Find(root, "comb_Size");
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 21, 0, 0), 2);
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 50, 0, reinterpret_cast<QELLPARAM>(u"1920 x 1080")), 2);
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 53, -1, reinterpret_cast<QELLPARAM>(u"1920")), 2);
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 53, -1, reinterpret_cast<QELLPARAM>(u"800")), -1);
  EXPECT_LT(Qel0Inter(c, QEL_IF_COMBOBOX, 9, 7, 0), 0);
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 8, 0, 0), 1);  // unchanged
  int marker = 0;
  Qel0Inter(c, QEL_IF_COMBOBOX, 36, 0, reinterpret_cast<QELLPARAM>(&marker));
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 35, 0, 0), reinterpret_cast<intptr_t>(&marker));
  int32_t index = 2;
  WCHAR buf[1024];
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 55, reinterpret_cast<QELWPARAM>(&index),
                      reinterpret_cast<QELLPARAM>(buf)),
            11);
  EXPECT_EQ(std::u16string(buf), u"1920 x 1080");
  std::vector<Event> events;
  qel::Element::From(c)->SetCallback(&Record, &events);
  EXPECT_TRUE(qel::Element::From(c)->UserSelect(0));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, QEL_EV_SEL_CHANGE);
  EXPECT_EQ(events[1].event, QEL_EV_SEL_CHANGE2);
  Qel0Inter(c, QEL_IF_COMBOBOX, 6, 0, 0);
  EXPECT_EQ(Qel0Inter(c, QEL_IF_COMBOBOX, 8, 0, 0), -1);
}

TEST_F(Elements, PanelsAndPlacement) {
  QelObject panel = Find(root, "radg");
  EXPECT_EQ(Qel0Inter(panel, QEL_IF_PANEL, 5, 0, 0), 2);
  QelObject first = reinterpret_cast<QelObject>(Qel0Inter(panel, QEL_IF_PANEL, 6, 0, 0));
  EXPECT_EQ(first, Find(root, "rado_nobg"));
  EXPECT_EQ(Qel0Inter(panel, QEL_IF_PANEL, 6, 9, 0), 0);
  // Move the photo button in front of the first radio button.
  QelObject photo = Find(root, "butn_Photo");
  Qel0Inter(photo, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(panel),
            reinterpret_cast<QELLPARAM>(first));
  EXPECT_EQ(reinterpret_cast<QelObject>(Qel0Inter(panel, QEL_IF_PANEL, 6, 0, 0)), photo);
  EXPECT_EQ(reinterpret_cast<QelObject>(Qel0Inter(photo, QEL_IF_ELEMENT, 12, 0, 0)), panel);
  // A panel never goes inside itself.
  EXPECT_LT(Qel0Inter(panel, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(photo), 0), 0);
  // Vertical flow: the second radio button sits below the first.
  POINT a{}, b{};
  Qel0Inter(Find(root, "rado_nobg"), QEL_IF_ELEMENT, 5, 0, reinterpret_cast<QELLPARAM>(&a));
  Qel0Inter(Find(root, "rado_custombg"), QEL_IF_ELEMENT, 5, 0, reinterpret_cast<QELLPARAM>(&b));
  EXPECT_EQ(b.y, a.y + 18);
  SRect32 m{5, 6, 0, 0};
  Qel0Inter(photo, QEL_IF_MARGIN, 2, 0, reinterpret_cast<QELLPARAM>(&m));
  SRect32 got{};
  Qel0Inter(photo, QEL_IF_MARGIN, 1, 0, reinterpret_cast<QELLPARAM>(&got));
  EXPECT_EQ(got.left, 5);
  EXPECT_EQ(got.top, 6);
}

TEST_F(Elements, MenuItemsByNameSendCommands) {
  QelObject menu = Find(root, "Menu_album_rclick");
  auto item = reinterpret_cast<QelObject>(
      Qel0Inter(menu, QEL_IF_MENU, 16, 1, reinterpret_cast<QELLPARAM>("MECE_delete")));
  ASSERT_NE(item, nullptr);
  std::vector<Event> events;
  qel::Element::From(item)->SetCallback(&Record, &events);
  Qel0Inter(menu, QEL_IF_MENU, 21, 0, 0);  // pop up
  EXPECT_TRUE(qel::Element::From(item)->Click());
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, QEL_EV_MENU_COMMAND);
  EXPECT_EQ(events[0].param, 1003);
}

TEST_F(Elements, TextHeightFollowsTheText) {
  auto* e = qel::Element::From(Find(root, "butn_Photo"));
  e->SetHeightMethod(qel::kSizeText);
  e->SetText(u"one");
  int32_t one_line = e->LaidOutSize().cy;
  e->SetText(u"one two three four five six seven eight nine ten eleven twelve");
  EXPECT_GT(e->LaidOutSize().cy, one_line);
  EXPECT_GT(one_line, 0);
}

}  // namespace
