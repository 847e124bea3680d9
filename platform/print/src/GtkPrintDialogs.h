#pragma once
// GTK's print and page set-up dialogs (built when GTK 3 is found).
#include "print/PrintDialogs.h"

namespace print {
bool RunGtkPrintDialog(WindowRef parent, PrintDialogState& state);
bool RunGtkPageSetupDialog(WindowRef parent, PrintDialogState& state);
}  // namespace print
