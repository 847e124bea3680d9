// Bitmap row flip and the busy cursor.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ORVIconHelper.h"
#include "ORVWaitCursor.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

TEST(IconHelper, ReverseBitmapFlipsRowsInPlace) {
  for (int32_t rows : {1, 2, 3, 4, 7}) {
    const int32_t rowBytes = 6;
    std::vector<unsigned char> bits(size_t(rowBytes * rows));
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = (unsigned char)i;
    std::vector<unsigned char> flipped = bits;
    ASSERT_EQ(CORVIconHelper::ReverseBitmap(flipped.data(), rowBytes, rows), 1);
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < rowBytes; ++c) {
        EXPECT_EQ(flipped[size_t(r * rowBytes + c)], bits[size_t((rows - 1 - r) * rowBytes + c)]) << rows;
      }
    }
    ASSERT_EQ(CORVIconHelper::ReverseBitmap(flipped.data(), rowBytes, rows), 1);
    EXPECT_EQ(flipped, bits);  // twice is the original
  }
  EXPECT_EQ(CORVIconHelper::ReverseBitmap(nullptr, 4, 4), 0);
  unsigned char one = 0;
  EXPECT_EQ(CORVIconHelper::ReverseBitmap(&one, -1, 1), 0);
}

TEST(WaitCursor, WatchWhileBusyThenEachWindowGetsItsCursorBack) {
  CQelWindow w;
  qel::Element* root = qel::LoadLayoutString(
      "<layout w=\"200\" h=\"100\"><element type=\"butn\" name=\"butn_a\" w=\"20\" h=\"20\"/></layout>", "");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(w.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  root->Release();
  w.Root()->SetCursorId(9);

  EXPECT_EQ(CORVWaitCursor::CurrentCursor(), CORVWaitCursor::kArrowCursor);
  {
    CORVWaitCursor outer;
    EXPECT_EQ(CORVWaitCursor::CurrentCursor(), CORVWaitCursor::kWatchCursor);
    EXPECT_EQ(w.Root()->CursorId(), CORVWaitCursor::kWatchCursor);
    {
      CORVWaitCursor inner;
    }
    // The inner wait ending leaves the outer one busy.
    EXPECT_EQ(CORVWaitCursor::CurrentCursor(), CORVWaitCursor::kWatchCursor);
    EXPECT_EQ(w.Root()->CursorId(), CORVWaitCursor::kWatchCursor);
  }
  EXPECT_EQ(CORVWaitCursor::CurrentCursor(), CORVWaitCursor::kArrowCursor);
  EXPECT_EQ(w.Root()->CursorId(), 9);
}
