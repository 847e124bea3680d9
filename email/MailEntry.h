#pragma once
// The e-mail run behind the bundle's one entry, OrvMailDlg.
#include <cstdint>

#include "NuvoDlgParam.h"

// The record of the call under way (set once the record passed its checks).
extern NuvoDLGPARAM* g_pDlgParam;

// -1 for a bad record; 0 when no listed file can be sent or the bundle's
// texts cannot be loaded; 1 otherwise (handed to the mail program, or the
// user gave up, or the mail program could not be opened, which is reported).
int32_t DoMailDlg(NuvoDLGPARAM* param, void* module);
