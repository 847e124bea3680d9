#pragma once
// Files as the edit plug-in sees them: which ones it edits, their sizes and
// times, whether a file can be written somewhere, free space, and the fit
// arithmetic of pictures.
#include <cstdint>
#include <string>

#include "ORVPubTools.h"
#include "qel/QelTypes.h"

// 1 for an existing file named *.jpg or *.bmp (type 1, a photo) or *.mov
// (type 2, a movie), extensions in any case; 0 otherwise, `type` untouched.
// Two paths name the same file: compared exactly once resolved (names that
// differ in case are different files here).
bool SameFile(const std::u16string& a, const std::u16string& b);

int vIsSupportFile(const WCHAR* path, int* type);

// 1 and the file's size in bytes; 0 when it cannot be read.
int vGetFileSize(const WCHAR* path, int64_t* bytes);

// The time the thumbnail database keeps with the file (the latest of its
// dates); 1, or 0 when the file is missing.
int vGetFileModifyTime(const WCHAR* path, FILETIME* time);

// 1 when a file can be made where `path` points: a fresh test file beside
// it ("TestFile<n>.noindex"; `path` itself when nothing is there yet) is
// created and deleted again. 0 for a null path or when it cannot.
int vCheckCanSave(const WCHAR* path);

// 1 when the file system holding `path` has more than `bytes` + 50 MiB
// free; 0 otherwise or when it cannot be asked.
int vIsEnoughSpace(const WCHAR* path, uint64_t bytes);
// The same rule on a known figure.
int vIsEnoughSpaceFor(uint64_t freeBytes, uint64_t bytes);
inline constexpr uint64_t kSpareBytes = 52428800;

// The smaller of maxWidth / width and maxHeight / height (the height's on a
// tie), unrounded.
double vFitInRatio(int32_t width, int32_t height, int32_t maxWidth, int32_t maxHeight);
// Scales both sizes by that ratio, rounded to whole pixels; answers the
// ratio, or 0.0 (sizes unchanged) when a size is 0.
double TLFitIn(int32_t* width, int32_t* height, int32_t maxWidth, int32_t maxHeight);
