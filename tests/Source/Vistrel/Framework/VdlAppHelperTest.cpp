#include <gtest/gtest.h>

#include <string>

#include "CQelStringW.h"
#include "DeviceHelper.h"
#include "TestEnvironment.h"
#include "VdlAppHelper.h"
#include "VdlCriticalSection.h"
#include "VdlHooks.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"
#include "qel/QelPath.h"

using Vardel::g_AppHelper;

namespace {

class VdlAppHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto file = testenv::MakeTempDir("aui") / "VistrelRes.aui";
    testenv::WriteFile(file, "<strings><s id=\"66\">Photo Viewer</s><s id=\"11\">%d x %d</s></strings>");
    table_ = QelCreateAUI(file.c_str());
    ASSERT_NE(table_, nullptr);
  }
  void TearDown() override {
    g_AppHelper.SetResAui(nullptr);
    if (table_) Qel0Release(table_);
  }
  QelObject table_ = nullptr;
};

}  // namespace

TEST_F(VdlAppHelperTest, LoadStringNeedsATableAndRoomForTheTerminator) {
  uint32_t length = 0;
  WCHAR buffer[16] = u"default";
  EXPECT_EQ(g_AppHelper.LoadString(66, buffer, &length), 0);  // no table yet

  g_AppHelper.SetResAui(static_cast<PubQelmar::QelAUI*>(table_));
  ASSERT_EQ(g_AppHelper.LoadString(66, nullptr, &length), 1);
  EXPECT_EQ(length, 12u);
  EXPECT_EQ(g_AppHelper.LoadString(99, nullptr, &length), 0);

  length = 12;  // exactly the text's length
  EXPECT_EQ(g_AppHelper.LoadString(66, buffer, &length), 0);
  EXPECT_EQ(length, 12u);
  EXPECT_EQ(std::u16string(buffer), u"default");
  length = 13;
  ASSERT_EQ(g_AppHelper.LoadString(66, buffer, &length), 1);
  EXPECT_EQ(length, 12u);
  EXPECT_EQ(std::u16string(buffer), u"Photo Viewer");
  EXPECT_EQ(g_AppHelper.LoadString(66, buffer, nullptr), 0);
}

TEST_F(VdlAppHelperTest, TheHelperKeepsItsOwnReferenceToTheTable) {
  g_AppHelper.SetResAui(static_cast<PubQelmar::QelAUI*>(table_));
  EXPECT_EQ(Qel0Retain(table_), 3);  // ours, the helper's, this one
  Qel0Release(table_);
  g_AppHelper.SetResAui(nullptr);
  EXPECT_EQ(Qel0Retain(table_), 2);
  Qel0Release(table_);
}

TEST(VdlStringOrderTest, CodeUnitOrderPutsUpperCaseBeforeLowerCase) {
  EXPECT_TRUE(CQelStringW(u"Z") < CQelStringW(u"a"));
  EXPECT_FALSE(CQelStringW(u"a") < CQelStringW(u"Z"));
  EXPECT_TRUE(CQelStringW(u"Screen") < CQelStringW(u"screen"));
  EXPECT_TRUE(CQelStringW(u"") < CQelStringW(u"A"));
  EXPECT_EQ(CQelStringW(u"abc").Compare(u"abc"), 0);
  EXPECT_LT(CQelStringW(u"ab").Compare(u"abc"), 0);
  EXPECT_GT(CQelStringW::_cstrcmp(u"b", nullptr), 0);
}

TEST(VdlDeviceHelperTest, OnlyExistingPathsOnFixedOrRemovableDrivesAreSupported) {
  EXPECT_EQ(Vardel::CDeviceHelper::IsSupportPath(nullptr), 0);
  EXPECT_EQ(Vardel::CDeviceHelper::IsSupportPath(u""), 0);
  EXPECT_EQ(Vardel::CDeviceHelper::IsSupportPath(u"/no/such/folder/x.jpg"), 0);
  int32_t type = QelGetDriveType(u"/usr/bin");
  EXPECT_EQ(Vardel::CDeviceHelper::IsSupportPath(u"/usr/bin"), type == 2 || type == 3 ? 1 : 0);
}

TEST(VdlHooksTest, HooksDoNothing) {
  EXPECT_EQ(CVdlMBEnvPath::SetMBEnvPath(), 1);
  EXPECT_EQ(Vardel::_TRACEA("Browsed %d \n", 3), 0);
  QelCriticalSection cs;
  QelInitCriticalSection(&cs);
  {
    Vardel::CQelCriticalSection outer(&cs);
    Vardel::CQelCriticalSection inner(&cs);  // recursive
  }
  QelDeleteCriticalSection(&cs);
}
