// The bundle's one exported symbol; the albums find it by name.
#include "MailEntry.h"

extern "C" __attribute__((visibility("default"))) int OrvMailDlg(NuvoDLGPARAM* param, void* module) {
  return DoMailDlg(param, module);
}
