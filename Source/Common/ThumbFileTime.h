#pragma once
// The file time that goes into the thumbnail database with a thumbnail and
// is compared with it later. Every album reads and writes it through this
// one function, so a row stored by one album matches in the other.
#include "os/FileTime.h"
#include "qel/QelTypes.h"

// The latest of the file's dates (creation, content and attribute
// change); 1, or 0 (time zeroed) when the file cannot be read.
int GetThumbFileTime(const WCHAR* path, plat::FileTime* time);
