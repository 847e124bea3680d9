#pragma once
// NuvoPrintDlg's work: the album's files, the bundle's texts and layout,
// the print layout control's class, a print manager, and the dialog.
#include <cstdint>

#include "NuvoDlgParam.h"

// The album's answers.
inline constexpr int32_t kPrintCancelled = 0;
inline constexpr int32_t kPrintDone = 1;
inline constexpr int32_t kPrintFailed = 5;

int32_t DoPrintDlg(NuvoDLGPARAM* param, void* module);
