#pragma once
// Path operations over UTF-16 paths, on a caller's buffer or on a
// CQelStringW. The native flag picks the toolkit's separator rules ("/" on
// this system); 0 uses the backslash alone, as the toolkit's layout paths do.
// Buffer forms take the buffer's size in units (the toolkit's path length
// when not given) and never write past it.
#include <cstddef>

#include "CQelStringW.h"
#include "qel/QelPath.h"
#include "qel/QelTypes.h"

// Case-insensitive comparison of two texts; 0 when equal.
int lstrcmpiW(const WCHAR* a, const WCHAR* b);

// Resolves a path on this machine to the one spelling the file system knows
// it by: symbolic links, "." and ".." are resolved for the part that exists,
// the rest is kept as given. Relative and empty paths come back unchanged.
CQelStringW ExpandTildePath(const CQelStringW& path);

class CORVPathHelper {
 public:
  static CQelStringW GetPathDriver(const WCHAR* path);
  static CQelStringW FindExtension(const WCHAR* path);
  // The last component, after removing one trailing separator.
  static CQelStringW FindFileName(const WCHAR* path);

  static void RemoveBacksplash(WCHAR* path, int native);
  static void RemoveBacksplash(CQelStringW& path, int native);
  static void AddBackslash(WCHAR* path, int native, size_t size = QEL_MAX_PATH);
  static void AddBackslash(CQelStringW& path, int native);

  // base + name with exactly one separator; an empty base gives the name.
  static CQelStringW MakeFullPath(const WCHAR* base, const WCHAR* name, int native);

  // Drops the last component; non-zero when the path changed.
  static int RemoveFileSpec(WCHAR* path);
  static int RemoveFileSpec(CQelStringW& path);

  // newPrefix + the rest of `path` when it begins with oldPrefix; else empty.
  static CQelStringW ReplaceUpLevelPath(const WCHAR* path, const WCHAR* oldPrefix, const WCHAR* newPrefix);
  // 1 when both name entries of the same folder.
  static int FileInSameFolder(const WCHAR* a, const WCHAR* b);

  static int IsSameRoot(const WCHAR* a, const WCHAR* b);
  static int IsDirectory(const WCHAR* path);
  static int IsFileExists(const WCHAR* path);
  static int IsUNC(const WCHAR* path);
  static int IsRoot(const WCHAR* path);

  // The path with a trailing separator, its drive part cut off.
  static CQelStringW GetRelativePath(const WCHAR* path);
  static CQelStringW GetFileRelativePath(const WCHAR* path);

  // Length of the common leading components; the text goes into `out`.
  static int CommonPrefix(const WCHAR* a, const WCHAR* b, WCHAR* out, size_t size = QEL_MAX_PATH);
  static int CommonPrefix(const WCHAR* a, const WCHAR* b, CQelStringW& out);

  // Folder containment: 1 when b lies inside a, -1 when a lies inside b, -2
  // when both name the same folder, else 0.
  static int PathInPath(const WCHAR* a, const WCHAR* b);
};

// Holds a path text; starts empty whatever it is given.
class CORVEnvironmentPath {
 public:
  explicit CORVEnvironmentPath(const WCHAR* /*text*/ = nullptr) {}
  const CQelStringW& GetPath() const { return m_path; }

 private:
  CQelStringW m_path;
};
