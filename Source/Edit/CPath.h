#pragma once
// Path functions of the edit plug-in over UTF-16 paths: existence,
// creating folders and empty files, deleting, and the folders of a bundle.
// Paths are joined with the file-system library, never cut to a buffer.
#include <string>

#include "os/Bundle.h"
#include "qel/QelTypes.h"

class CPath {
 public:
  // 1 when a file or a folder exists at the path.
  static int IsFileExist(const WCHAR* path);
  // Creates the folder and the missing folders above it, parents first;
  // 1 when the last of them was made, 0 when the path existed already, is
  // empty or could not be made.
  static int CreatePath(const WCHAR* path);
  // When nothing exists at the path: creates the missing folders above it
  // and an empty file; 1 only when a file was created.
  static int CreateFile(const WCHAR* path);
  // Deletes a file that exists (folders are left alone).
  static void DeleteFile(const WCHAR* path);
  // The "Contents" folder of the bundle (the main bundle when null); empty
  // when there is no such bundle.
  static std::u16string GetModuleContentPath(const plat::Bundle* bundle);
  // The folder that holds the bundle (the main bundle when null) joined
  // with `name`; empty without a bundle.
  static std::u16string GetSetFile(const WCHAR* name, const plat::Bundle* bundle);
};

// `base` + "/" + `name` (a trailing separator of `base` is not doubled).
std::u16string PathJoin(const std::u16string& base, const std::u16string& name);
