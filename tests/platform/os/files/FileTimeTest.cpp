#include "os/FileTime.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "TestEnvironment.h"

namespace {

using namespace plat;

class FileTimeTest : public ::testing::Test {
 protected:
  void SetUp() override { UseZone("UTC"); }
  static void UseZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
};

TEST_F(FileTimeTest, StoredBytesAreLittleEndianFieldByField) {
  FileTime t = FileTime::FromParts(0x123456789ABCull, 0xDEF0);
  const uint8_t expect[8] = {0x34, 0x12, 0xBC, 0x9A, 0x78, 0x56, 0xF0, 0xDE};
  EXPECT_EQ(0, memcmp(t.bytes, expect, 8));
  EXPECT_EQ(t.highSeconds(), 0x1234);
  EXPECT_EQ(t.lowSeconds(), 0x56789ABCu);
  EXPECT_EQ(t.fraction(), 0xDEF0);
  EXPECT_EQ(t.seconds(), 0x123456789ABCull);
  // Equality is byte equality; order is by time even where the bytes disagree.
  FileTime later = FileTime::FromParts(0x10000, 0), earlier = FileTime::FromParts(0xFFFF, 0xFFFF);
  EXPECT_LT(memcmp(later.bytes, earlier.bytes, 8), 0);
  EXPECT_TRUE(earlier < later);
  EXPECT_NE(earlier, later);
}

TEST_F(FileTimeTest, UnixAndAbsoluteConversions) {
  struct {
    timespec unix;
    uint64_t seconds;
    uint16_t fraction;
    double absolute;
  } cases[] = {
      {{0, 0}, 2082844800u, 0, -978307200.0},
      {{978307200, 500000000}, 3061152000u, 32768, 0.5},
      {{-2082844800, 0}, 0u, 0, -3061152000.0},
      {{1262217600, 0}, 3345062400u, 0, 283910400.0},  // 2009-12-31 00:00 UTC
  };
  for (auto& c : cases) {
    FileTime t;
    ASSERT_TRUE(FileTimeFromUnix(c.unix, &t)) << c.seconds;
    EXPECT_EQ(t.seconds(), c.seconds);
    EXPECT_EQ(t.fraction(), c.fraction);
    EXPECT_DOUBLE_EQ(FileTimeToAbsolute(t), c.absolute);
    FileTime back;
    ASSERT_TRUE(FileTimeFromAbsolute(c.absolute, &back));
    EXPECT_EQ(back, t);
    timespec ts = FileTimeToUnix(t);
    EXPECT_EQ(ts.tv_sec, c.unix.tv_sec);
    FileTime again;
    FileTimeFromUnix(ts, &again);
    EXPECT_EQ(again, t);
  }
  FileTime t = FileTime::FromParts(5, 5);
  EXPECT_FALSE(FileTimeFromUnix({-2082844801, 0}, &t));  // before 1904
  EXPECT_TRUE(t.isZero());
  EXPECT_FALSE(FileTimeFromAbsolute(-3061152001.0, &t));
  EXPECT_FALSE(FileTimeFromAbsolute(1e300, &t));
  EXPECT_TRUE(CurrentFileTime().seconds() > 3061152000u);
}

TEST_F(FileTimeTest, PackedDatesAndLocalMidnight) {
  for (const char* zone : {"UTC", "America/New_York", "Asia/Tokyo"}) {
    UseZone(zone);
    FileTime t;
    ASSERT_TRUE(FileTimeFromPackedDate(20091231, &t)) << zone;
    EXPECT_EQ(PackedDateFromFileTime(t), 20091231u) << zone;
    LocalDateTime l;
    ASSERT_TRUE(FileTimeToLocal(t, &l));
    EXPECT_EQ(l.hour, 0);
    EXPECT_EQ(l.minute, 0);
    EXPECT_EQ(l.dayOfWeek, 5);  // a Thursday, 1 = Sunday
  }
  UseZone("UTC");
  FileTime t;
  EXPECT_FALSE(FileTimeFromPackedDate(20090231, &t));
  EXPECT_FALSE(FileTimeFromPackedDate(20091300, &t));
  EXPECT_FALSE(FileTimeFromPackedDate(18991231, &t));
  EXPECT_EQ(DayOfWeek(2009, 11, 1), 0);
  EXPECT_EQ(DayOfWeek(2009, 11, 7), 6);
  EXPECT_EQ(DayOfWeek(2009, 2, 30), -1);
}

TEST_F(FileTimeTest, FileDatesFollowTheFile) {
  auto path = testenv::MakeTempDir("ft") / "f.txt";
  testenv::WriteFile(path, "x");
  timespec times[2] = {{0, UTIME_OMIT}, {1262217600, 250000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  FileDates d;
  ASSERT_TRUE(GetFileDates(path.string(), &d));
  EXPECT_EQ(d.contentModification.seconds(), 3345062400u);
  EXPECT_EQ(d.contentModification.fraction(), 16384);
  EXPECT_TRUE(d.backup.isZero());
  EXPECT_FALSE(d.attributeModification < d.contentModification);
  EXPECT_EQ(d.Latest(), std::max({d.creation, d.contentModification, d.attributeModification}));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(FileDatesFromStat(st).contentModification, d.contentModification);
  EXPECT_FALSE(GetFileDates((path.parent_path() / "none").string(), &d));
}

}  // namespace
