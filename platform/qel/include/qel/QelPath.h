#pragma once
// Path functions over UTF-16 POSIX paths: "/" is the only separator, there
// are no drive letters and no UNC paths. Buffers that a function writes into
// hold `size` units (QEL_MAX_PATH unless told otherwise); nothing is written
// past them and a result that would not fit leaves the buffer unchanged.
// Answers follow qel/QelResult.h (non-zero = yes / done).
#include <cstddef>

#include "qel/QelResult.h"
#include "qel/QelTypes.h"

constexpr size_t QEL_MAX_PATH = 1024;
constexpr WCHAR QEL_PATH_SEPARATOR = u'/';

// Joins with exactly one separator ("a" + "b", "a/" + "/b" → "a/b"); an
// empty path gives `more` alone, an empty `more` changes nothing.
QEL_API int32_t QelPathAppend(WCHAR* path, const WCHAR* more, size_t size = QEL_MAX_PATH);
// Adds one trailing separator to a non-empty path that lacks one.
QEL_API int32_t QelPathAddSlash(WCHAR* path, size_t size = QEL_MAX_PATH);
// Removes one trailing separator (never the root's); non-zero when removed.
QEL_API int32_t QelPathRemoveSlash(WCHAR* path);
// The extension of the last component from its last dot, dot included; the
// terminator (an empty text) when there is none.
QEL_API const WCHAR* QelPathFindExtension(const WCHAR* path);
// The last component (a trailing separator stays part of it: "a/b/" → "b/").
QEL_API const WCHAR* QelPathFindFileName(const WCHAR* path);
// Drops the last component ("/a/b" → "/a", "/a" → "/", "a" → ""); non-zero
// when the path changed.
QEL_API int32_t QelPathRemoveFileSpec(WCHAR* path);
// Both absolute (there is one root).
QEL_API int32_t QelPathIsSameRoot(const WCHAR* a, const WCHAR* b);
QEL_API int32_t QelPathIsDirectory(const WCHAR* path);
QEL_API int32_t QelPathFileExists(const WCHAR* path);
// Always 0: there are no UNC paths.
QEL_API int32_t QelPathIsUNC(const WCHAR* path);
// "/" (or only separators).
QEL_API int32_t QelPathIsRoot(const WCHAR* path);
// Length of the common leading whole components ("/a/b/c", "/a/b/d" →
// "/a/b", 4); the text goes into out (may be null).
QEL_API int32_t QelPathCommonPrefix(const WCHAR* a, const WCHAR* b, WCHAR* out,
                                    size_t size = QEL_MAX_PATH);
// The drive part of a path: always empty here; answers its length (0).
QEL_API int32_t QelGetPathDriver(const WCHAR* path, WCHAR* drive, size_t size);

// Kind of volume a path lies on, numbered as Win32 drive types.
enum QelDriveType : int32_t {
  QEL_DRIVE_UNKNOWN = 0,
  QEL_DRIVE_NO_ROOT_DIR = 1,  // the path does not exist
  QEL_DRIVE_REMOVABLE = 2,
  QEL_DRIVE_FIXED = 3,
  QEL_DRIVE_REMOTE = 4,
  QEL_DRIVE_CDROM = 5,
  QEL_DRIVE_RAMDISK = 6,
};
QEL_API int32_t QelGetDriveType(const WCHAR* path);

// File references: a path made absolute (lexically, links are not followed);
// the file need not exist.
typedef struct Qel0FSRRec* Qel0FSRef;
QEL_API Qel0FSRef Qel0FSRCreateWithPath(const WCHAR* path);
// The absolute path into out; 0 when it does not fit.
QEL_API int32_t Qel0FSRToAbs(Qel0FSRef ref, WCHAR* out, size_t size = QEL_MAX_PATH);
QEL_API int32_t Qel0FSRIsExist(Qel0FSRef ref);
// Moves the reference to its parent folder; 0 at the root.
QEL_API int32_t Qel0FSRRemoveLastPathComponent(Qel0FSRef ref);
QEL_API void Qel0FSRRelease(Qel0FSRef ref);
