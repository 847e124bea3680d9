#pragma once
// Static tools at the platform boundary: launching a program with a command
// line, deleting files (to the Trash or for good), file times, fitting a size
// into a box, window rectangles and the cursor, and the folder layout of a
// bundle. No operation keeps state between calls or throws.
#include <cstdint>
#include <list>
#include <optional>
#include <vector>

#include "CQelStringW.h"
#include "os/Bundle.h"
#include "os/FileTime.h"
#include "qel/QelTypes.h"

// The stored 8-byte date-time: seconds since 1904 (UTC) and a 1/65536 fraction.
typedef plat::FileTime FILETIME;

class CORVPubTools {
 public:
  // --- launching ---
  // commandLine: "\"<program bundle>\" <argument text>". The program gets
  // the argument text as its command line (the running instance, or a new
  // one). 1 when it was delivered or the program started; 0 for a malformed
  // line, a program path or an argument longer than 1023 units, or a program
  // that cannot be found or started. `application` and the last two
  // arguments are not used.
  static int Execute(const WCHAR* application, const WCHAR* commandLine, int = 0, void* = nullptr);
  // Opens the documents with the application bundle: their paths, each in
  // double quotes, become its command line. Documents that do not exist are
  // left out; 0 when the application cannot be found or started.
  static int Execute(const WCHAR* application, const std::list<CQelStringW>& documents);

  // --- deleting ---
  // toTrash non-zero: each path goes to the Trash; otherwise each file is
  // deleted. 1 only when every path went (an empty list: 1 for the Trash,
  // 0 otherwise); the paths that stayed are added to `failed` when given,
  // and each is logged. The window and the last argument are not used.
  static int DeleteFile(const std::list<CQelStringW>& paths, WindowRef window, int toTrash, int = 0,
                        std::vector<CQelStringW>* failed = nullptr);
  static int DeleteFile(const WCHAR* path, WindowRef window, int toTrash, int = 0,
                        std::vector<CQelStringW>* failed = nullptr);

  // --- dates and times ---
  // Absolute time: seconds since 1 January 2001 00:00 UTC.
  static double ConvertFromFileTime(const FILETIME* time);
  static void ConvertToFileTime(FILETIME* time, double absoluteTime);
  static int StripFileTimeMS(FILETIME* time);
  // Packed local date year * 10000 + month * 100 + day; local midnight.
  static void ConvertToFileTimeDW(FILETIME* time, uint32_t packedDate);
  static uint32_t ConvertFromFileTimeDW(const FILETIME* time);
  static int GetDateFromFileTime(const FILETIME* time, uint32_t& year, uint32_t& month, uint32_t& day);
  // Formats the local year, month, day, hour, minute and second (ints, in
  // that order) with `format`; empty when the format asks for anything but
  // at most six integer conversions.
  static CQelStringW FileTimeToString(const WCHAR* format, const FILETIME* time);
  static void CurrentDateTime(FILETIME* time);
  // Today at local midnight.
  static void CurrentDate(FILETIME* time);
  // 0 = Sunday ... 6 = Saturday; 0xFFFFFFFF for a date that does not exist.
  static uint32_t GetDayofweek(uint16_t year, uint16_t month, uint16_t day);

  // --- geometry ---
  // Scales width x height to fit the box keeping its aspect (small sizes
  // grow); answers the factor, 0.0 (nothing changed) when a size is 0.
  static double TLFitIn(int32_t* width, int32_t* height, int32_t boxWidth, int32_t boxHeight);
  static int GetCursorPos(POINT* point);
  static int SetCursorPos(POINT* point);
  // Window-relative <-> screen coordinates (the window's top-left corner);
  // 0 for a window that does not exist.
  static int ScreenToClient(WindowRef window, POINT* point);
  static int ClientToScreen(WindowRef window, POINT* point);
  static int GetWindowRect(WindowRef window, SRect32* rect);
  static int GetClientRect(WindowRef window, SRect32* rect);
  // Left and top edges inside, right and bottom outside.
  static int PtInRect(const SRect32* rect, POINT point);

  // --- message box ---
  // Shows the system's corner message box modally; answers the button code
  // (1 OK, 2 Cancel, 6 Yes, 7 No), 0 when it cannot be shown.
  static int MessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags);

  // --- bundle folders (null bundle: the main program's) ---
  // Full paths; empty when the bundle cannot be found or the path would be
  // longer than 1024 bytes of UTF-8.
  static CQelStringW GetBundleContentsPath(const plat::Bundle* bundle = nullptr);
  static CQelStringW GetBundleModulesPath(const plat::Bundle* bundle = nullptr);
  static CQelStringW GetBundleResourcePath(const plat::Bundle* bundle = nullptr);
  static CQelStringW GetBundleResourcePathWithName(const plat::Bundle* bundle, const WCHAR* name);
  static CQelStringW GetBundleLocalizePath(const plat::Bundle* bundle = nullptr);
  static CQelStringW GetBundleLocalizePathWithName(const plat::Bundle* bundle, const WCHAR* name);
  static CQelStringW GetBundleLocalizeUIPath(const plat::Bundle* bundle = nullptr);
  static CQelStringW GetBundleLocalizeUIPathWithName(const plat::Bundle* bundle, const WCHAR* name);

  // The bundle at `path`; nullopt when there is none.
  static std::optional<plat::Bundle> CreateBundleByPath(const WCHAR* path);
  static CQelStringW GetResourcePathFromBundlePath(const WCHAR* bundlePath);
  static CQelStringW GetResourcePathWithNameFromBundlePath(const WCHAR* bundlePath, const WCHAR* name);
  static CQelStringW GetLocalizePathFromBundlePath(const WCHAR* bundlePath);
  static CQelStringW GetLocalizePathWithNameFromBundlePath(const WCHAR* bundlePath, const WCHAR* name);
  static CQelStringW GetLocalizeUIPathFromBundlePath(const WCHAR* bundlePath);
  static CQelStringW GetLocalizeUIPathWithNameFromBundlePath(const WCHAR* bundlePath, const WCHAR* name);
};
