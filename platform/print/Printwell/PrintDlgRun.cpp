#include "PrintDlgRun.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AppHelper.h"
#include "CPrintManager.h"
#include "DlgPrint.h"
#include "PrintCtrlBundle.h"
#include "PrintTexts.h"
#include "os/Bundle.h"
#include "qel/QelLayout.h"
#include "qel/QelObject.h"
#include "qel/QelWideText.h"

namespace {

const int kSelf = 0;

// The string table for the length of the call.
class ResourceTable {
 public:
  explicit ResourceTable(QelObject table) : m_table(table) {
    g_AppHelper.SetResAui(reinterpret_cast<PubQelmar::QelAUI*>(table));
  }
  ~ResourceTable() {
    g_AppHelper.SetResAui(nullptr);
    if (m_table) Qel0Release(m_table);
  }
  ResourceTable(const ResourceTable&) = delete;
  ResourceTable& operator=(const ResourceTable&) = delete;

 private:
  QelObject m_table;
};

// The manager as the host owns it: one reference, given back at the end.
struct ManagerRef {
  CZylPrintManager* manager = new CZylPrintManager();
  ManagerRef() { manager->AddRef(); }
  ~ManagerRef() { manager->Release(); }
  ManagerRef(const ManagerRef&) = delete;
  ManagerRef& operator=(const ManagerRef&) = delete;
};

// Regular files only: the control opens what it is given.
std::vector<std::u16string> UsableFiles(const NuvoDLGPARAM& param) {
  std::vector<std::u16string> files;
  for (int32_t i = 0; i < param.count; ++i) {
    const WCHAR* path = param.items[i].path;
    std::error_code ec;
    if (path && *path && std::filesystem::is_regular_file(QelToUTF8(path), ec)) files.emplace_back(path);
  }
  return files;
}

}  // namespace

int32_t DoPrintDlg(NuvoDLGPARAM* param, void*) {
  if (!param || param->size != sizeof(NuvoDLGPARAM) || param->count < 0) return kPrintFailed;
  if (param->count != 0 && !param->items) return kPrintFailed;
  std::optional<plat::Bundle> self = plat::Bundle::Containing(&kSelf);
  if (!self) return kPrintFailed;
  const std::string contents = self->ContentsPath();
  const std::u16string ui = QelFromUTF8(contents + "/UI/");

  QelObject table = QelCreateAUIW((ui + u"PrintwellRes.aui").c_str());
  if (!table) std::fprintf(stderr, "print: the texts \"%sPrintwellRes.aui\" cannot be loaded\n", QelToUTF8(ui).c_str());
  ResourceTable texts(table);

  // Failures are the album's to tell: it says the files could not be printed.
  std::vector<std::u16string> files = UsableFiles(*param);
  if (files.empty()) return kPrintFailed;
  // The control's bundle sits beside this one in the main bundle's Contents.
  CPrintCtrlBundle control(std::filesystem::path(self->path()).parent_path().string());
  if (!control.Ready()) return kPrintFailed;

  ManagerRef manager;
  int32_t answer = kPrintFailed;
  {
    CDlgPrint dialog(manager.manager, QelFromUTF8(self->ResourcesPath() + "/Labels/"), std::move(files));
    if (!dialog.Create((ui + u"Print.aui").c_str(), nullptr, param->parent)) {
      std::fprintf(stderr, "print: the layout \"%sPrint.aui\" cannot be created\n", QelToUTF8(ui).c_str());
      return kPrintFailed;
    }
    if (dialog.FilesAdded() == 0) {
      dialog.Close();
      return kPrintFailed;
    }
    dialog.RepositionWindow(param->parent ? 1 : 0);
    dialog.DoModal();
    answer = dialog.Result() == CDlgPrint::kPrinted ? kPrintDone : kPrintCancelled;
  }
  return answer;
}
