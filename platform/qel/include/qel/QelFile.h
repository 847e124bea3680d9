#pragma once
// Files and folders over UTF-16 paths. Answers follow qel/QelResult.h: the
// calls answer non-zero for success; handle calls answer null on failure.
#include <cstddef>
#include <string>

#include "qel/QelResult.h"
#include "qel/QelTypes.h"

typedef struct QelFileRec* QelFileRef;

// Creates a file for reading and writing (mode 0644). overwrite 0: fails
// when the path exists; otherwise an existing file is emptied.
QEL_API QelFileRef QelFileCreateExt(const WCHAR* path, int32_t overwrite);
// Opens an existing file, for reading and, when writable, writing.
QEL_API QelFileRef QelFileOpenExt(const WCHAR* path, int32_t writable);
QEL_API int32_t QelFileCloseExt(QelFileRef file);
QEL_API int32_t QelFileReadExt(QelFileRef file, void* buffer, size_t bytes, size_t* read);
QEL_API int32_t QelFileWriteExt(QelFileRef file, const void* buffer, size_t bytes);
// whence: 0 from the start, 1 from the current place, 2 from the end.
QEL_API int32_t QelFileSeekExt(QelFileRef file, int64_t offset, int32_t whence);
QEL_API int32_t QelFileGetFileSizeExt(QelFileRef file, int64_t* size);
QEL_API int32_t QelFileDeleteExt(const WCHAR* path);

// Copies through a temporary file beside the target, so the target is either
// the whole copy or untouched. failIfExists: refuse an existing target.
QEL_API int32_t QelCopyFile(const WCHAR* source, const WCHAR* target, int32_t failIfExists);
// Creates the folder and any missing parents; non-zero when the folder
// exists afterwards.
QEL_API int32_t QelFolderCreateExt(const WCHAR* path);

// Folder listing. The pattern is a folder and a name pattern ("dir/*.*",
// "dir/*.jpg"; "*.*" and "*" match every name). "." and ".." are never listed.
constexpr uint32_t QEL_FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t QEL_FILE_ATTRIBUTE_NORMAL = 0x80;
struct QelFindData {
  uint32_t attributes = 0;
  int64_t size = 0;
  int64_t modified = 0;  // seconds since 1970, UTC
  std::u16string name;   // the entry's name, without its folder
};
typedef struct QelFindRec* QelFindRef;
// Null when the folder cannot be read or nothing matches.
QEL_API QelFindRef QelFindFirstFile(const WCHAR* pattern, QelFindData* data);
// 0 when there are no more entries.
QEL_API int32_t QelFindNextFile(QelFindRef find, QelFindData* data);
QEL_API int32_t QelFindClose(QelFindRef find);
