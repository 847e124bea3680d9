#pragma once
// The files of one e-mail run: which files can be sent, where the bundle's
// layouts are, how the copies are named and how large a file is.
#include <cstdint>
#include <string>
#include <vector>

#include "CQelStringW.h"
#include "qel/QelTypes.h"

// File kinds.
constexpr int32_t kMailPicture = int32_t(0x80000000u);
constexpr int32_t kMailMovie = 0x40000000;

// One accepted file: the caller's path and its kind.
struct _EMAILFILEINFO {
  CQelStringW path;
  int32_t kind = 0;
};
using EmailFileList = std::vector<_EMAILFILEINFO*>;

// True for an existing file whose extension (after the last dot, any case)
// is BMP, JPG or JPEG (a picture) or MOV (a movie); `kind`, when given,
// receives the kind.
bool MailIsSupport(const WCHAR* path, int32_t* kind);

// This bundle's "UI" folder, ending in "/"; 1, or 0 for a null buffer or
// when the bundle cannot be found.
int32_t GetUIPath(std::u16string* out);

// folder + "Attachment" + index in decimal; 0 when folder or out is null.
int32_t GetSaveFileNamePrefix(int32_t index, const WCHAR* folder, std::u16string* out);

// The file's size in bytes; 0 when it cannot be read.
int64_t SD_GetFileSize(const WCHAR* path);

// The last path component.
std::u16string MailFileName(const std::u16string& path);
