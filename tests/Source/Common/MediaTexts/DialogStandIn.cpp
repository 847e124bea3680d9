// A stand-in for the e-mail and print bundles' dialog entry: it writes what
// it was handed into the file named by NUVO_STANDIN_LOG and answers the
// number in NUVO_STANDIN_ANSWER.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "NuvoDlgParam.h"
#include "qel/QelWideText.h"

namespace {

int32_t Record(NuvoDLGPARAM* record) {
  const char* log = std::getenv("NUVO_STANDIN_LOG");
  if (!record || record->size != sizeof(NuvoDLGPARAM) || !log) return -1;
  if (FILE* f = std::fopen(log, "w")) {
    std::fprintf(f, "parent %s\n", record->parent ? "set" : "none");
    for (int32_t i = 0; i < record->count; ++i) {
      const NuvoDLGITEM& item = record->items[i];
      const SIZE* size = static_cast<const SIZE*>(item.extra);
      std::fprintf(f, "%s %s\n", QelToUTF8(item.path).c_str(),
                   size ? (size->cx == 0 && size->cy == 0 ? "0x0" : "size") : "-");
    }
    std::fclose(f);
  }
  const char* answer = std::getenv("NUVO_STANDIN_ANSWER");
  return answer ? std::atoi(answer) : 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t OrvMailDlg(NuvoDLGPARAM* record, void*) {
  return Record(record);
}
extern "C" __attribute__((visibility("default"))) int32_t NuvoPrintDlg(NuvoDLGPARAM* record, void*) {
  return Record(record);
}
