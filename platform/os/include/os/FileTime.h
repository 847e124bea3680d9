#pragma once
// File times as the stored 8-byte date-time: whole seconds since 1 January
// 1904 00:00 UTC in 48 bits (u16 high, u32 low) and a u16 fraction in units
// of 1/65536 s. The bytes are kept field by field, little-endian, and two
// times are equal when their 8 bytes are.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

struct stat;

namespace plat {

inline constexpr int64_t kSecondsFrom1904ToUnix = 2082844800;      // 1904-01-01 → 1970-01-01
inline constexpr int64_t kSecondsFrom1904To2001 = 3061152000;      // 1904-01-01 → 2001-01-01 (absolute time)
inline constexpr uint64_t kMaxFileTimeSeconds = (uint64_t(1) << 48) - 1;

struct FileTime {
  uint8_t bytes[8] = {};

  static FileTime FromParts(uint64_t seconds, uint16_t fraction);  // seconds cut to 48 bits
  uint16_t highSeconds() const { return uint16_t(bytes[0] | bytes[1] << 8); }
  uint32_t lowSeconds() const {
    return uint32_t(bytes[2]) | uint32_t(bytes[3]) << 8 | uint32_t(bytes[4]) << 16 | uint32_t(bytes[5]) << 24;
  }
  uint16_t fraction() const { return uint16_t(bytes[6] | bytes[7] << 8); }
  uint64_t seconds() const { return uint64_t(highSeconds()) << 32 | lowSeconds(); }
  bool isZero() const { return *this == FileTime(); }

  bool operator==(const FileTime& o) const { return std::memcmp(bytes, o.bytes, 8) == 0; }
  bool operator!=(const FileTime& o) const { return !(*this == o); }
  // Chronological order (the raw bytes are little-endian, so not memcmp).
  bool operator<(const FileTime& o) const {
    return seconds() != o.seconds() ? seconds() < o.seconds() : fraction() < o.fraction();
  }
};
static_assert(sizeof(FileTime) == 8, "stored as exactly 8 bytes");

// Unix time ↔ file time. From: false (output zeroed) before 1904 or past
// the 48-bit range.
bool FileTimeFromUnix(const struct timespec& ts, FileTime* out);
struct timespec FileTimeToUnix(const FileTime& t);

// Absolute time: seconds since 1 January 2001 00:00 UTC, as a double.
double FileTimeToAbsolute(const FileTime& t);
bool FileTimeFromAbsolute(double absoluteTime, FileTime* out);

FileTime CurrentFileTime();

// Local calendar fields (the TZ of the process). dayOfWeek: 1 = Sunday.
struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, dayOfWeek = 0;
};
bool FileTimeToLocal(const FileTime& t, LocalDateTime* out);
// From local fields (dayOfWeek ignored); false for a date that does not exist.
bool FileTimeFromLocal(const LocalDateTime& local, FileTime* out);

// Packed date year * 10000 + month * 100 + day of the local calendar.
// To: 0 when the conversion fails. From: local midnight of that day; false
// for a date that does not exist (20090231).
uint32_t PackedDateFromFileTime(const FileTime& t);
bool FileTimeFromPackedDate(uint32_t packed, FileTime* out);
// 0 = Sunday ... 6 = Saturday; -1 for a date that does not exist.
int DayOfWeek(int year, int month, int day);

// The dates of a file. Creation is the birth time when the file system
// reports it, else the content modification; there is no backup date.
struct FileDates {
  FileTime creation, contentModification, attributeModification, backup;
  bool hasBirthTime = false;
  // The latest of creation, content and attribute modification: the one
  // date that tells whether a file changed since it was last seen.
  FileTime Latest() const;
};
bool GetFileDates(const std::string& path, FileDates* out);
// The same from a stat record (no birth time there).
FileDates FileDatesFromStat(const struct stat& st);

}  // namespace plat
