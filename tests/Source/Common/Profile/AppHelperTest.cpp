#include <gtest/gtest.h>

#include <string>

#include "AppHelper.h"
#include "TestEnvironment.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"

namespace {

class AppHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto file = testenv::MakeTempDir("aui") / "Strings.aui";
    testenv::WriteFile(file, "<strings><s id=\"7\">Photo</s><s id=\"8\">Caf\xc3\xa9 \xe5\x86\x99</s></strings>");
    table_ = QelCreateAUI(file.c_str());
    ASSERT_NE(table_, nullptr);
    g_AppHelper.SetResAui(static_cast<PubQelmar::QelAUI*>(table_));
  }
  void TearDown() override {
    g_AppHelper.SetResAui(nullptr);
    if (table_) Qel0Release(table_);
  }
  QelObject table_ = nullptr;
};

}  // namespace

TEST_F(AppHelperTest, LoadStringMeasuresAndCopiesOnlyWithRoomForTheTerminator) {
  uint32_t length = 0;
  ASSERT_TRUE(g_AppHelper.LoadString(7, nullptr, &length));
  EXPECT_EQ(length, 5u);

  WCHAR buffer[8] = u"xxxxxxx";
  length = 5;  // exactly the string's length: no room for the terminator
  EXPECT_FALSE(g_AppHelper.LoadString(7, buffer, &length));
  EXPECT_EQ(std::u16string(buffer), u"xxxxxxx");
  length = 6;
  ASSERT_TRUE(g_AppHelper.LoadString(7, buffer, &length));
  EXPECT_EQ(std::u16string(buffer), u"Photo");
  EXPECT_EQ(length, 5u);

  EXPECT_FALSE(g_AppHelper.LoadString(99, nullptr, &length));
  EXPECT_FALSE(g_AppHelper.LoadString(7, buffer, nullptr));

  CQelStringW text = vLoadResString(8);
  EXPECT_EQ(std::u16string(text.c_str()), u"Caf\u00e9 \u5199");
  EXPECT_TRUE(vLoadResString(99).IsEmpty());
  uint32_t size = 6;
  EXPECT_EQ(vLoadResString(7, buffer, &size), 1);

  g_AppHelper.SetResAui(nullptr);
  EXPECT_TRUE(vLoadResString(7).IsEmpty());
  EXPECT_EQ(vLoadResString(7, nullptr, &size), 0);
}
