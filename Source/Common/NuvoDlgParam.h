#pragma once
// The parameter record of the bundles that take a list of files from an
// album: the e-mail bundle ("ZylEmail.bundle", entry OrvMailDlg) and the
// print bundle ("Printwell.bundle", entry NuvoPrintDlg). The caller owns the
// record, the items and the paths; they stay valid during the call.
#include <cstdint>
#include <string>
#include <vector>

#include "qel/QelTypes.h"

struct NuvoDLGITEM {
  uint32_t r0 = 0;
  uint32_t r1 = 0;
  const char16_t* path = nullptr;  // full path, terminated
  void* extra = nullptr;           // e-mail: null; print: an 8-byte zero record per file
};

struct NuvoDLGPARAM {
  uint32_t size = sizeof(NuvoDLGPARAM);  // checked by the entries
  WindowRef parent = nullptr;
  int32_t count = 0;
  NuvoDLGITEM* items = nullptr;
  uint32_t reserved = 0;
};

// OrvMailDlg: -1 for a bad record, 0 when nothing was sent, 1 when done.
typedef int (*PFN_OrvMailDlg)(NuvoDLGPARAM* param, void* module);
// NuvoPrintDlg: 5 on failure, 1 when printed, 0 when cancelled.
typedef int (*PFN_NuvoPrintDlg)(NuvoDLGPARAM* param, void* module);

// Loads `bundleName` from the main bundle's Contents folder, calls its
// `entryName` (OrvMailDlg or NuvoPrintDlg) with the files (each item's
// extra pointing at a zeroed 8-byte record when `withSize`) and unloads it.
// The entry's answer; `*found` tells whether the bundle and the entry were
// there (the answer is 0 when not).
int32_t CallBundleDialog(const WCHAR* bundleName, const char* entryName, const std::vector<std::u16string>& files,
                         WindowRef parent, bool withSize, void* module, bool* found);
