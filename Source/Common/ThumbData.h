#pragma once
// One album item: what a photo or movie is (1 image, 2 movie, 0 when no
// thumbnail could be made), its full path, the file time the album read,
// and its thumbnail bitmap (a 40-byte header and bottom-up 24-bit rows in
// one array), null until made.
#include <cstdint>

#include "os/FileTime.h"
#include "qel/QelTypes.h"

struct _THUMBDATA {
  // The path is copied; time and thumbnail start empty.
  _THUMBDATA(int32_t type, const WCHAR* path);
  ~_THUMBDATA();
  _THUMBDATA(const _THUMBDATA&) = delete;
  _THUMBDATA& operator=(const _THUMBDATA&) = delete;

  // Replaces the thumbnail (the old one is freed); the record owns `dib`.
  void SetDib(unsigned char* dib);
  // Hands the thumbnail out; the record no longer owns it.
  unsigned char* TakeDib();

  int32_t type;
  WCHAR* path;            // owned, terminated
  plat::FileTime fileTime;
  unsigned char* dib;     // owned (array), or null
};

// A record with a thumbnail and a non-empty path (the type is not looked at).
bool IsThumbDataValid(const _THUMBDATA* item);
