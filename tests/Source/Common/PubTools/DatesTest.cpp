#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "ORVPubTools.h"

namespace {

class DatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // Berlin, without tzdata
    ::tzset();
  }
};

std::u16string S(const CQelStringW& s) { return std::u16string(s.c_str(), size_t(s.GetLength())); }

}  // namespace

TEST_F(DatesTest, PackedDatesAndWeekdays) {
  FILETIME t;
  CORVPubTools::ConvertToFileTimeDW(&t, 20091231);
  EXPECT_EQ(CORVPubTools::ConvertFromFileTimeDW(&t), 20091231u);
  uint32_t y = 0, m = 0, d = 0;
  ASSERT_EQ(CORVPubTools::GetDateFromFileTime(&t, y, m, d), 1);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20091231u);
  // Local midnight in Berlin is 23:00 UTC the day before.
  EXPECT_EQ(S(CORVPubTools::FileTimeToString(u"%04d-%02d-%02d %02d:%02d:%02d", &t)), u"2009-12-31 00:00:00");
  EXPECT_DOUBLE_EQ(CORVPubTools::ConvertFromFileTime(&t), 283906800.0);  // 2009-12-30 23:00 UTC

  EXPECT_EQ(CORVPubTools::GetDayofweek(2009, 11, 1), 0u);  // a Sunday
  EXPECT_EQ(CORVPubTools::GetDayofweek(2009, 12, 31), 4u);
  EXPECT_EQ(CORVPubTools::GetDayofweek(2009, 2, 30), 0xFFFFFFFFu);

  EXPECT_EQ(CORVPubTools::ConvertFromFileTimeDW(nullptr), 0u);
  y = 7;
  EXPECT_EQ(CORVPubTools::GetDateFromFileTime(nullptr, y, m, d), 0);
  EXPECT_EQ(y, 7u);
  EXPECT_EQ(CORVPubTools::StripFileTimeMS(&t), 1);
}

TEST_F(DatesTest, AbsoluteTimesAndFormatting) {
  FILETIME t;
  CORVPubTools::ConvertToFileTime(&t, 0.5);  // 2001-01-01 00:00:00.5 UTC
  EXPECT_EQ(t.seconds(), 3061152000u);
  EXPECT_EQ(t.fraction(), 32768u);
  EXPECT_DOUBLE_EQ(CORVPubTools::ConvertFromFileTime(&t), 0.5);
  EXPECT_EQ(S(CORVPubTools::FileTimeToString(u"%d/%d/%d %d:%02d:%02d", &t)), u"2001/1/1 1:00:00");
  EXPECT_EQ(S(CORVPubTools::FileTimeToString(u"%02d.%02d.", &t)), u"2001.01.");
  EXPECT_EQ(S(CORVPubTools::FileTimeToString(u"%x|%%", &t)), u"7d1|%");
  // Formats that would read what was not passed are refused.
  for (const char16_t* bad : {u"%s", u"%d %f", u"%*d", u"%d%d%d%d%d%d%d", u"%", u"%p"})
    EXPECT_TRUE(CORVPubTools::FileTimeToString(bad, &t).IsEmpty()) << QelToUTF8(bad);
  EXPECT_TRUE(CORVPubTools::FileTimeToString(nullptr, &t).IsEmpty());
  EXPECT_TRUE(CORVPubTools::FileTimeToString(u"%d", nullptr).IsEmpty());
  EXPECT_DOUBLE_EQ(CORVPubTools::ConvertFromFileTime(nullptr), 0.0);

  FILETIME now, today;
  CORVPubTools::CurrentDateTime(&now);
  CORVPubTools::CurrentDate(&today);
  EXPECT_FALSE(now < today);
  std::u16string stamp = S(CORVPubTools::FileTimeToString(u"%d-%02d-%02d %02d:%02d:%02d", &today));
  EXPECT_EQ(stamp.substr(stamp.size() - 9), u" 00:00:00") << QelToUTF8(stamp);
  // Raw bytes stay as stored: high seconds, low seconds, fraction, little-endian.
  FILETIME raw = FILETIME::FromParts(0x0001'0203'0405ull, 0x0607);
  const uint8_t expected[8] = {0x01, 0x00, 0x05, 0x04, 0x03, 0x02, 0x07, 0x06};
  EXPECT_EQ(std::memcmp(raw.bytes, expected, 8), 0);
}
