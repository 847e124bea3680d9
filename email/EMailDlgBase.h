#pragma once
// The e-mail plug-in's dialogs sit on the main program's dialog base (the
// same sources, linked into this bundle): the rounded frame with its drag
// area, title and close button, Return / Enter for OK, Escape for Cancel,
// and a window that stays within reach on the screen.
#include "DlgBase.h"

using CMyDlgBase = Orvenna::CDlgBase;

// The confirm dialog's base: the same frame, always with rounded corners.
class CEMailDlgBase : public CMyDlgBase {
 public:
  explicit CEMailDlgBase(int32_t corners) : CMyDlgBase(corners) {}
};
