#pragma once
// File Manager style helpers over file references. A reference here is a
// small value holding a UTF-8 path; FSPathMakeRef makes one for an existing
// entry. Results are File Manager error codes (0 = no error) unless stated.
#include <cstddef>
#include <cstdint>
#include <string>

#include "os/FileTime.h"
#include "qel/QelTypes.h"

typedef int16_t OSErr;
typedef plat::FileTime UTCDateTime;

inline constexpr OSErr noErr = 0;
inline constexpr OSErr fnfErr = -43;             // no such file or folder
inline constexpr OSErr wPrErr = -44;             // volume locked by hardware
inline constexpr OSErr fLckdErr = -45;           // file locked
inline constexpr OSErr vLckdErr = -46;           // volume locked (read-only mount)
inline constexpr OSErr paramErr = -50;
inline constexpr OSErr permErr = -54;
inline constexpr OSErr ioErr = -36;
inline constexpr OSErr errFSNoMoreItems = -1417;  // a directory walk reached its end

struct FSRef {
  std::string path;  // UTF-8, absolute; empty for no entry (a volume root's parent)
  bool operator==(const FSRef& o) const { return path == o.path; }
};

// A node name of at most 255 UTF-16 units.
struct HFSUniStr255 {
  uint16_t length = 0;
  WCHAR unicode[255] = {};
};
inline constexpr uint32_t kTextEncodingUTF8 = 0x08000100;

// Catalogue information handed to a directory walk.
inline constexpr uint16_t kFSNodeLockedMask = 0x0001;
inline constexpr uint16_t kFSNodeIsDirectoryMask = 0x0010;
inline constexpr uint32_t kFSCatInfoNone = 0;
inline constexpr uint32_t kFSCatInfoGettableInfo = 0x0003FFFF;
struct FSCatalogInfo {
  uint16_t nodeFlags = 0;
  uint32_t permissionsMode = 0;  // the entry's mode bits
  UTCDateTime createDate, contentModDate, attributeModDate, backupDate;
  uint64_t dataLogicalSize = 0;
  uint64_t rsrcLogicalSize = 0;  // there are no resource forks: always 0
};

// A reference to the existing entry at `utf8Path` (made absolute);
// fnfErr when there is none. `isDirectory` may be null.
OSErr FSPathMakeRef(const char* utf8Path, FSRef* ref, bool* isDirectory);

bool FSRefIsValid(const FSRef* ref);
// The root of a mounted file system.
bool FSRefIsVolume(const FSRef* ref);
// Always noErr; `out` untouched when the entry cannot be read.
OSErr FSRefIsDirectory(const FSRef* ref, bool* out);
// The folder holding the entry; a volume root gets an empty parent.
OSErr FSRefGetParentRef(const FSRef* ref, FSRef* parent);
// `out` set to true when the owner may write; untouched otherwise.
OSErr FSRefIsWritable(const FSRef* ref, bool* out);
// Data size into `dataSize`, 0 into `resourceSize`; always noErr.
OSErr FSGetForkSizes(const FSRef* ref, uint64_t* dataSize, uint64_t* resourceSize);
// A number naming the entry's file system, the same for every entry on it
// during the life of the process.
OSErr FSGetVRefNum(const FSRef* ref, int16_t* volume);
// The dates asked for by non-null outputs (there is no backup date: 0).
OSErr FSRefGetDate(const FSRef* ref, UTCDateTime* create, UTCDateTime* contentModify, UTCDateTime* attributeModify,
                   UTCDateTime* backup);
OSErr FSRefGetName(const FSRef* ref, HFSUniStr255* name, uint32_t* textEncoding);
// Locked means no write permission for anyone; unlocking gives the owner
// write permission back. noErr when nothing had to change.
OSErr FSRefLock(const FSRef* ref, bool lock);
// `out` = false for a name that begins with a full stop, else true.
OSErr FSRefIsVisiable(const FSRef* ref, bool* out);
// fLckdErr for a locked entry (see FSRefLock, or immutable), vLckdErr on a
// read-only file system, else noErr.
OSErr FSRefCheckLock(const FSRef* ref);

// Walks the entries of `directory` ten at a time, calling `callback` with
// each batch until it answers false, an error occurs or the entries run out.
// Answers the last error: errFSNoMoreItems after a whole walk.
typedef bool (*FSEnumDirectoryProc)(size_t count, const FSRef* refs, const FSCatalogInfo* infos, void* user);
OSErr FSEnumDirectoryFile(const FSRef* directory, uint32_t whichInfo, FSEnumDirectoryProc callback, void* user);
