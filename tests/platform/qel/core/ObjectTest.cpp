#include <gtest/gtest.h>

#include <cstdlib>

#include "qel/QelLayout.h"

namespace {

TEST(Objects, CountsAndDeepCopies) {
  QelObject panel = Qel0CreateObj(QelFourCC("cata"));
  QelObject button = Qel0CreateObj(QelFourCC("butn"));
  ASSERT_NE(panel, nullptr);
  qel::Element::From(button)->SetName("butn_OK");
  qel::Element::From(button)->SetText(u"OK");
  EXPECT_EQ(Qel0Inter(button, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(panel),
                      reinterpret_cast<QELLPARAM>(ADDEleEnd)),
            QEL_S_OK);
  EXPECT_EQ(Qel0Retain(button), 3);  // ours, the panel's, this one
  EXPECT_EQ(Qel0Release(button), 2);
  EXPECT_EQ(Qel0Release(button), 1);  // the panel still holds it

  QelObject copy = Qel0CopyObject(panel);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Qel0GetType(copy), QelFourCC("cata"));
  auto* copied = reinterpret_cast<QelObject>(
      Qel0Inter(copy, QEL_IF_PANEL, 12, 1, reinterpret_cast<QELLPARAM>("butn_ok")));
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, button);
  EXPECT_EQ(qel::Element::From(copied)->Text(), u"OK");
  EXPECT_EQ(Qel0Release(copy), 0);
  EXPECT_EQ(Qel0Release(panel), 0);
}

TEST(Objects, NullAndForeignHandlesAreRefused) {
  int not_an_object[8] = {};
  EXPECT_EQ(Qel0Inter(nullptr, QEL_IF_ELEMENT, 7, 0, 0), QEL_E_POINTER);
  EXPECT_EQ(Qel0Inter(not_an_object, QEL_IF_ELEMENT, 7, 0, 0), QEL_E_POINTER);
  EXPECT_LT(Qel0Retain(nullptr), 0);
  EXPECT_EQ(Qel0GetType(nullptr), 0u);
  EXPECT_EQ(Qel0CopyObject(nullptr), nullptr);
}

TEST(Objects, PlainElementsAnswerNotImplementedForOtherKindsInterfaces) {
  QelObject e = Qel0CreateObj(QelFourCC("view"));
  for (int32_t iface : {QEL_IF_IMAGECTRL, QEL_IF_PICTURE, QEL_IF_LAYER, QEL_IF_ALBUM}) {
    EXPECT_EQ(int32_t(Qel0Inter(e, iface, 1, 0, 0)), QEL_E_NOTIMPL) << iface;
  }
  Qel0Release(e);
}

TEST(Objects, FactoriesServeRegisteredKinds) {
  struct Thing : qel::Object {
    Thing() : Object(QelFourCC("thng")) {}
  };
  qel::RegisterObjectKind(QelFourCC("thng"), [](QELWPARAM, QELLPARAM) { return new Thing(); });
  QelObject t = Qel0CreateObj(QelFourCC("thng"));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Qel0GetType(t), QelFourCC("thng"));
  EXPECT_EQ(Qel0Release(t), 0);
}

TEST(GlobalValues, SetAnswersOldValue) {
  EXPECT_EQ(Qel0GetGValue(1), 0);
  EXPECT_EQ(Qel0SetGValue(1, 42), 0);
  EXPECT_EQ(Qel0SetGValue(1, 0), 42);
  EXPECT_EQ(Qel0GetGValue(77), 0);
}

TEST(EngineConfig, DisplayRatioIsOneWhateverTheScaleThenSettable) {
  // QEL_SCALE scales the whole interface through the window system; the
  // programs' own arithmetic keeps ratio 1 so nothing is scaled twice.
  setenv("QEL_SCALE", "2", 1);
  EXPECT_EQ(Qel0InitCore(), 0);
  EXPECT_EQ(Qel0InitEngine(), 0);
  double ratio = 0;
  ASSERT_EQ(Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio), 0);
  EXPECT_EQ(ratio, 1.0);
  double half = 1.5;
  EXPECT_EQ(Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &half), 0);
  Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio);
  EXPECT_EQ(ratio, 1.5);
  double bad = -1;
  EXPECT_LT(Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &bad), 0);
  int32_t one = 1, out = 0;
  EXPECT_EQ(Qel0ConfigEngine(0, &one), 0);
  Qel0GetEngineConfig(0, &out);
  EXPECT_EQ(out, 1);
  EXPECT_LT(Qel0GetEngineConfig(2, nullptr), 0);
}

TEST(EngineConfig, HeadlessRatioDefaultsToOne) {
  unsetenv("QEL_SCALE");
  double ratio = 0;
  ASSERT_EQ(Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio), 0);
  EXPECT_EQ(ratio, 1.0);
}

}  // namespace
