#include "NuvoDlgParam.h"

#include <cstdio>

#include "ORVPubTools.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

int32_t CallBundleDialog(const WCHAR* bundleName, const char* entryName, const std::vector<std::u16string>& files,
                         WindowRef parent, bool withSize, void* module, bool* found) {
  if (found) *found = false;
  CQelStringW contents = CORVPubTools::GetBundleContentsPath(nullptr);
  if (contents.IsEmpty() || !bundleName || !entryName) return 0;
  std::u16string path = std::u16string(contents.c_str()) + u"/" + bundleName;
  QelLibraryRef library = QelLoadLibrary(path.c_str());
  auto entry = library ? reinterpret_cast<PFN_OrvMailDlg>(QelGetProcAddress(library, entryName)) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "%s: %s cannot be used\n", entryName, QelToUTF8(path).c_str());
    if (library) QelFreeLibrary(library);
    return 0;
  }
  if (found) *found = true;
  std::vector<SIZE> sizes(files.size(), SIZE{0, 0});
  std::vector<NuvoDLGITEM> items(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    items[i].path = files[i].c_str();
    items[i].extra = withSize ? &sizes[i] : nullptr;
  }
  NuvoDLGPARAM record;
  record.parent = parent;
  record.count = int32_t(items.size());
  record.items = items.empty() ? nullptr : items.data();
  int32_t answer = entry(&record, module);
  QelFreeLibrary(library);
  return answer;
}
