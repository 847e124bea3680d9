#include "os/FileTime.h"

#include <glib.h>

#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace plat {

FileTime FileTime::FromParts(uint64_t seconds, uint16_t fraction) {
  FileTime t;
  uint16_t high = uint16_t((seconds >> 32) & 0xFFFF);
  uint32_t low = uint32_t(seconds & 0xFFFFFFFFu);
  t.bytes[0] = uint8_t(high);
  t.bytes[1] = uint8_t(high >> 8);
  for (int i = 0; i < 4; ++i) t.bytes[2 + i] = uint8_t(low >> (8 * i));
  t.bytes[6] = uint8_t(fraction);
  t.bytes[7] = uint8_t(fraction >> 8);
  return t;
}

bool FileTimeFromUnix(const struct timespec& ts, FileTime* out) {
  if (!out) return false;
  *out = FileTime();
  if (ts.tv_nsec < 0 || ts.tv_nsec >= 1000000000L) return false;
  if (ts.tv_sec < -kSecondsFrom1904ToUnix) return false;
  uint64_t seconds = uint64_t(int64_t(ts.tv_sec) + kSecondsFrom1904ToUnix);
  if (seconds > kMaxFileTimeSeconds) return false;
  uint16_t fraction = uint16_t((uint64_t(ts.tv_nsec) * 65536u) / 1000000000u);
  *out = FileTime::FromParts(seconds, fraction);
  return true;
}

struct timespec FileTimeToUnix(const FileTime& t) {
  struct timespec ts;
  ts.tv_sec = time_t(int64_t(t.seconds()) - kSecondsFrom1904ToUnix);
  // Round up so that Unix → file time → Unix → file time is stable.
  ts.tv_nsec = long((uint64_t(t.fraction()) * 1000000000u + 65535u) / 65536u);
  if (ts.tv_nsec >= 1000000000L) ts.tv_nsec = 999999999L;
  return ts;
}

double FileTimeToAbsolute(const FileTime& t) {
  return double(int64_t(t.seconds()) - kSecondsFrom1904To2001) + t.fraction() / 65536.0;
}

bool FileTimeFromAbsolute(double absoluteTime, FileTime* out) {
  if (!out) return false;
  *out = FileTime();
  if (!std::isfinite(absoluteTime)) return false;
  double whole = std::floor(absoluteTime);
  double since1904 = whole + double(kSecondsFrom1904To2001);
  if (since1904 < 0 || since1904 > double(kMaxFileTimeSeconds)) return false;
  double frac = (absoluteTime - whole) * 65536.0;
  uint32_t f = uint32_t(frac);
  if (f > 0xFFFF) f = 0xFFFF;
  *out = FileTime::FromParts(uint64_t(since1904), uint16_t(f));
  return true;
}

FileTime CurrentFileTime() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  FileTime t;
  FileTimeFromUnix(ts, &t);
  return t;
}

bool FileTimeToLocal(const FileTime& t, LocalDateTime* out) {
  if (!out) return false;
  time_t secs = FileTimeToUnix(t).tv_sec;
  struct tm tm;
  if (!localtime_r(&secs, &tm)) return false;
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  out->dayOfWeek = tm.tm_wday + 1;
  return true;
}

bool FileTimeFromLocal(const LocalDateTime& l, FileTime* out) {
  if (!out) return false;
  *out = FileTime();
  if (l.year < 1904 || l.year > 9999 || !g_date_valid_dmy(GDateDay(l.day), GDateMonth(l.month), GDateYear(l.year)) ||
      l.hour < 0 || l.hour > 23 || l.minute < 0 || l.minute > 59 || l.second < 0 || l.second > 60)
    return false;
  struct tm tm = {};
  tm.tm_year = l.year - 1900;
  tm.tm_mon = l.month - 1;
  tm.tm_mday = l.day;
  tm.tm_hour = l.hour;
  tm.tm_min = l.minute;
  tm.tm_sec = l.second;
  tm.tm_isdst = -1;
  time_t secs = mktime(&tm);
  if (secs == time_t(-1) && !(tm.tm_year == 69 && tm.tm_mon == 11 && tm.tm_mday == 31)) return false;
  return FileTimeFromUnix(timespec{secs, 0}, out);
}

uint32_t PackedDateFromFileTime(const FileTime& t) {
  LocalDateTime l;
  if (!FileTimeToLocal(t, &l)) return 0;
  return uint32_t(l.year) * 10000u + uint32_t(l.month) * 100u + uint32_t(l.day);
}

bool FileTimeFromPackedDate(uint32_t packed, FileTime* out) {
  LocalDateTime l;
  l.year = int(packed / 10000);
  l.month = int((packed % 10000) / 100);
  l.day = int(packed % 100);
  return FileTimeFromLocal(l, out);
}

int DayOfWeek(int year, int month, int day) {
  if (year < 1 || year > 65535 || !g_date_valid_dmy(GDateDay(day), GDateMonth(month), GDateYear(year))) return -1;
  GDate d;
  g_date_clear(&d, 1);
  g_date_set_dmy(&d, GDateDay(day), GDateMonth(month), GDateYear(year));
  return int(g_date_get_weekday(&d)) % 7;  // GLib: Monday 1 ... Sunday 7
}

FileTime FileDates::Latest() const {
  FileTime best = creation;
  if (best < contentModification) best = contentModification;
  if (best < attributeModification) best = attributeModification;
  return best;
}

bool GetFileDates(const std::string& path, FileDates* out) {
  if (!out) return false;
  struct statx sx;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
  auto conv = [](const struct statx_timestamp& s) {
    FileTime t;
    FileTimeFromUnix(timespec{time_t(s.tv_sec), long(s.tv_nsec)}, &t);
    return t;
  };
  *out = FileDates();
  out->contentModification = conv(sx.stx_mtime);
  out->attributeModification = conv(sx.stx_ctime);
  out->hasBirthTime = (sx.stx_mask & STATX_BTIME) != 0;
  out->creation = out->hasBirthTime ? conv(sx.stx_btime) : out->contentModification;
  return true;
}

FileDates FileDatesFromStat(const struct stat& st) {
  FileDates d;
  FileTimeFromUnix(st.st_mtim, &d.contentModification);
  FileTimeFromUnix(st.st_ctim, &d.attributeModification);
  d.creation = d.contentModification;
  return d;
}

}  // namespace plat
