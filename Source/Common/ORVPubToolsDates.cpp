// File times: the stored date-time, absolute time, packed local dates.
#include <string>

#include "ORVPubTools.h"
#include "qel/QelFormatSpec.h"
#include "qel/QelWideText.h"

namespace {

// The formatter reads six int arguments: a format may use at most six
// conversions, all of them integer ones, or it would read what is not there.
bool TakesSixIntsAtMost(const WCHAR* format) {
  int conversions = 0;
  for (const WCHAR* p = format; *p;) {
    if (*p != u'%') {
      ++p;
      continue;
    }
    QelFormatSpec spec;
    p = qel_parse_format_spec(p, &spec);
    if (spec.letter == u'%') continue;
    // Only 32-bit integers are passed; '*', texts, floats and unknown letters are refused.
    if (spec.arg != QelFormatSpec::Arg::kInt || spec.widthFromArgs || spec.precisionFromArgs) return false;
    ++conversions;
  }
  return conversions <= 6;
}

}  // namespace

double CORVPubTools::ConvertFromFileTime(const FILETIME* time) {
  return time ? plat::FileTimeToAbsolute(*time) : 0.0;
}

void CORVPubTools::ConvertToFileTime(FILETIME* time, double absoluteTime) {
  if (!time) return;
  *time = FILETIME();
  plat::FileTimeFromAbsolute(absoluteTime, time);
}

int CORVPubTools::StripFileTimeMS(FILETIME*) { return 1; }

void CORVPubTools::ConvertToFileTimeDW(FILETIME* time, uint32_t packedDate) {
  if (!time) return;
  *time = FILETIME();
  plat::FileTimeFromPackedDate(packedDate, time);
}

uint32_t CORVPubTools::ConvertFromFileTimeDW(const FILETIME* time) {
  return time ? plat::PackedDateFromFileTime(*time) : 0;
}

int CORVPubTools::GetDateFromFileTime(const FILETIME* time, uint32_t& year, uint32_t& month, uint32_t& day) {
  plat::LocalDateTime local;
  if (!time || !plat::FileTimeToLocal(*time, &local)) return 0;
  year = uint32_t(local.year);
  month = uint32_t(local.month);
  day = uint32_t(local.day);
  return 1;
}

CQelStringW CORVPubTools::FileTimeToString(const WCHAR* format, const FILETIME* time) {
  plat::LocalDateTime local;
  if (!format || !time || !TakesSixIntsAtMost(format) || !plat::FileTimeToLocal(*time, &local)) return CQelStringW();
  WCHAR buffer[100] = {};
  qel_swprintf(buffer, 100, format, local.year, local.month, local.day, local.hour, local.minute, local.second);
  return CQelStringW(buffer);
}

void CORVPubTools::CurrentDateTime(FILETIME* time) {
  if (time) *time = plat::CurrentFileTime();
}

void CORVPubTools::CurrentDate(FILETIME* time) {
  if (!time) return;
  FILETIME now = plat::CurrentFileTime();
  plat::LocalDateTime local;
  *time = FILETIME();
  if (!plat::FileTimeToLocal(now, &local)) return;
  local.hour = local.minute = local.second = 0;
  plat::FileTimeFromLocal(local, time);
}

uint32_t CORVPubTools::GetDayofweek(uint16_t year, uint16_t month, uint16_t day) {
  int weekday = plat::DayOfWeek(year, month, day);
  return weekday < 0 ? 0xFFFFFFFFu : uint32_t(weekday);
}
