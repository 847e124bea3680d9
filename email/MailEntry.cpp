#include "MailEntry.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "AppHelper.h"
#include "DlgEmail.h"
#include "DlgWarning.h"
#include "MailFiles.h"
#include "MailRun.h"
#include "MailRunFolder.h"
#include "MailTexts.h"
#include "MyProgress.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"
#include "qel/QelObject.h"
#include "qel/QelWideText.h"

NuvoDLGPARAM* g_pDlgParam = nullptr;

namespace {

// The string table for the length of the call.
class ResourceTable {
 public:
  explicit ResourceTable(QelObject table) : m_table(table) {
    g_AppHelper.SetResAui(reinterpret_cast<PubQelmar::QelAUI*>(table));
  }
  ~ResourceTable() {
    g_AppHelper.SetResAui(nullptr);
    Qel0Release(m_table);
  }
  ResourceTable(const ResourceTable&) = delete;
  ResourceTable& operator=(const ResourceTable&) = delete;

 private:
  QelObject m_table;
};

}  // namespace

int32_t DoMailDlg(NuvoDLGPARAM* param, void*) {
  if (!param || param->size != sizeof(NuvoDLGPARAM) || param->count < 0) return -1;
  if (param->count != 0 && !param->items) return -1;
  g_pDlgParam = param;

  std::vector<std::unique_ptr<_EMAILFILEINFO>> owned;
  EmailFileList files;
  for (int32_t i = 0; i < param->count; ++i) {
    int32_t kind = 0;
    const WCHAR* path = param->items[i].path;
    if (!MailIsSupport(path, &kind)) continue;
    owned.push_back(std::make_unique<_EMAILFILEINFO>());
    owned.back()->path = path;
    owned.back()->kind = kind;
    files.push_back(owned.back().get());
  }
  if (files.empty()) return 0;

  std::u16string ui;
  if (!GetUIPath(&ui)) return 0;
  QelObject table = QelCreateAUIW((ui + u"AUIUEmailRes.aui").c_str());
  if (!table) {
    std::fprintf(stderr, "e-mail: the texts \"%sAUIUEmailRes.aui\" cannot be loaded\n", QelToUTF8(ui).c_str());
    return 0;
  }
  ResourceTable texts(table);

  CDlgEmail confirm(&files, param->parent);
  if (!confirm.Create((ui + u"Email.aui").c_str(), nullptr, param->parent)) {
    std::fprintf(stderr, "e-mail: the layout \"%sEmail.aui\" cannot be created\n", QelToUTF8(ui).c_str());
    return 1;
  }
  confirm.RepositionWindow(param->parent ? 1 : 0);
  if (confirm.DoModal() != CQelDialog::kResultOK) return 1;

  std::u16string folder;
  if (!GetSaveFilePath(&folder)) {
    const std::u16string text =
        MailText(kTextNoFolder, "", u"The files cannot be copied: no private folder could be made for them.");
    vMessageBox(nullptr, text.c_str(), nullptr, kWarnOK);
    return 1;
  }
  std::vector<std::u16string> sources;
  for (const _EMAILFILEINFO* file : files) sources.emplace_back(file->path.c_str());
  CMailRun run(std::move(sources), folder, confirm.GetEmailSubject().c_str());
  CMyProgress progress(param->parent);
  if (progress.Create((ui + u"processing.aui").c_str(), nullptr, param->parent)) {
    progress.RepositionWindow(param->parent ? 1 : 0);
    run.Run(&progress);
  } else {
    run.Run(nullptr);
  }
  return 1;
}
