// Element classes registered by descriptor: data per element, the class's
// own calls, everything else handed to the parent, copies, the host told
// at once, and no factory left once the class is unregistered.
#include <gtest/gtest.h>

#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelElementClass.h"

namespace {

constexpr uint32_t kKind = QelFourCC("tstc");
int g_inits = 0, g_uninits = 0, g_created = 0, g_copies = 0;
QELCLASSDESC g_desc{};

intptr_t Interface(QelObject e, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  int* data = static_cast<int*>(Qel0GetObjDataC(&g_desc, e));
  if (iface == QEL_IF_LIFECYCLE && method == QEL_LIFE_CREATED) ++g_created;
  if (iface == 53) return data ? (*data += int(w)) : -1;
  return g_desc.ParentInterface(e, iface, method, w, l);
}

struct ElementClassTest : ::testing::Test {
  void SetUp() override {
    g_inits = g_uninits = g_created = g_copies = 0;
    g_desc = QELCLASSDESC{};
    g_desc.size = sizeof g_desc;
    g_desc.parentKind = QelFourCC("cata");
    g_desc.kind = kKind;
    g_desc.dataSize = sizeof(int);
    g_desc.FInit = [](QelObject) { ++g_inits; };
    g_desc.FUninit = [](QelObject) { ++g_uninits; };
    g_desc.FCopy = [](QelObject, QelObject) -> int32_t { return ++g_copies; };
    g_desc.FInterface = &Interface;
    ASSERT_EQ(Qel0RegisterClass(&g_desc, nullptr), 1);
  }
  void TearDown() override { Qel0UnregisterClass(kKind); }
};

TEST_F(ElementClassTest, DataCallsAndParent) {
  QelObject a = Qel0CreateObj(kKind), b = Qel0CreateObj(kKind);
  EXPECT_EQ(g_inits, 2);
  EXPECT_EQ(g_created, 2);
  EXPECT_EQ(Qel0Inter(a, 53, 0, 5, 0), 5);
  EXPECT_EQ(Qel0Inter(a, 53, 0, 2, 0), 7);
  EXPECT_EQ(Qel0Inter(b, 53, 0, 1, 0), 1);  // data of its own
  // Unhandled calls reach the parent: the element's size.
  qel::Element::From(a)->SetFrameSize(SIZE{30, 20});
  SIZE s{};
  EXPECT_EQ(Qel0Inter(a, 1, 3, 0, reinterpret_cast<QELLPARAM>(&s)), 0);
  EXPECT_EQ(s.cx, 30);
  // The host's callback hears what the control tells it, at once.
  qel::Element::From(a)->SetCallback(
      [](QelObject, int32_t event, QELLPARAM param, void*) -> int32_t { return event + int32_t(param); }, nullptr);
  EXPECT_EQ(Qel0Inter(a, 3, 16, 2113, 4), 2117);
  QelObject c = Qel0CopyObject(a);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(g_copies, 1);
  EXPECT_EQ(g_created, 3);
  EXPECT_EQ(Qel0GetObjDataC(&g_desc, c) != Qel0GetObjDataC(&g_desc, a), true);
  for (QelObject o : {a, b, c}) Qel0Release(o);
  EXPECT_EQ(g_uninits, 3);
}

TEST_F(ElementClassTest, RefusalsAndUnregistering) {
  QELCLASSDESC other = g_desc;
  EXPECT_EQ(Qel0RegisterClass(&other, nullptr), 0);  // the class is taken
  EXPECT_EQ(Qel0RegisterClass(nullptr, nullptr), 0);
  EXPECT_EQ(Qel0RegisterClass(&g_desc, nullptr), 1);  // again, the same
  EXPECT_EQ(Qel0UnregisterClass(kKind), 1);
  EXPECT_EQ(Qel0UnregisterClass(kKind), 0);
  QelObject plain = Qel0CreateObj(kKind);
  EXPECT_EQ(g_inits, 0);
  EXPECT_EQ(Qel0GetObjDataC(&g_desc, plain), nullptr);
  Qel0Release(plain);
}

}  // namespace
