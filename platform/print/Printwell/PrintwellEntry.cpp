// The bundle's one exported symbol; the albums find it by name.
#include "PrintDlgRun.h"

extern "C" __attribute__((visibility("default"))) int NuvoPrintDlg(NuvoDLGPARAM* param, void* module) {
  return DoPrintDlg(param, module);
}
