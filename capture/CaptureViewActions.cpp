// The capture album's actions: add, delete, play or view, properties,
// select all, refresh, navigate, print, e-mail, reveal, album switch and
// folder change.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <list>

#include "AlbumRecords.h"
#include "AssetListFile.h"
#include "CaptureView.h"
#include "ShowInFolder.h"
#include "DibHelper.h"
#include "DlgProperty.h"
#include "DlgWarning.h"
#include "NuvoDlgParam.h"
#include "ORVGF.h"
#include "ORVPubTools.h"
#include "img/ImageFile.h"
#include "qel/QelMessage.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kTextNoSelection = 53;  // 3 is the module's name
constexpr uint32_t kTextDeleteQuestion = 20;
constexpr uint32_t kTextFileMissing = 52;      // "%s" the path
constexpr uint32_t kTextRemoveMissing = 54;
constexpr uint32_t kTextNotTrashed = 55;       // followed by the paths
constexpr uint32_t kTextProgramMissing = 56;   // "%s" the program
constexpr uint32_t kTextBundleMissing = 57;    // "%s" the bundle
constexpr uint32_t kTextCannotStart = 58;      // "%s" the program
constexpr uint32_t kTextQuoteInPath = 59;      // "%s" the path
constexpr uint32_t kTextNotPrinted = 61;

std::u16string Format(uint32_t id, const std::u16string& value, const char16_t* builtIn) {
  std::u16string format = ORVGF::vLoadResFormat(id, "s", builtIn);
  CQelStringW text;
  text.Format(format.c_str(), value.c_str());
  return text.c_str();
}

bool Exists(const std::u16string& path) { return !path.empty() && QelPathFileExists(path.c_str()); }

std::u16string ContentsItem(const char16_t* name) {
  return ORVGF::PathAppend(ORVGF::GetModuleContentPath(nullptr), name);
}

}  // namespace

void CCaptureView::Message(uint32_t id, const std::u16string& detail, uint32_t flags) {
  std::u16string text = ORVGF::vLoadResString(id);
  if (!detail.empty()) text += (text.empty() ? u"" : u"\n\n") + detail;
  vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", flags);
}

std::vector<_THUMBDATA*> CCaptureView::SelectedRecords(std::vector<int32_t>* indexes) const {
  std::vector<_THUMBDATA*> out;
  PubQelmar::QelAlbum* shown = ShownAlbum();
  if (!shown) return out;
  int32_t n = shown->GetSelectCount();
  if (n <= 0) return out;
  std::vector<int32_t> picked(size_t(n), -1);
  n = shown->GetSelectItems(n, picked.data());
  picked.resize(size_t(std::max(n, 0)));
  for (int32_t i : picked) {
    if (auto* r = static_cast<_THUMBDATA*>(shown->GetItemDataByIndex(i))) {
      out.push_back(r);
      if (indexes) indexes->push_back(i);
    }
  }
  return out;
}

bool CCaptureView::ConfirmExists(_THUMBDATA* record, int32_t index) {
  if (QelPathFileExists(record->path)) return true;
  std::u16string text = Format(kTextFileMissing, record->path, u"The file \"%s\" no longer exists.") + u"\n\n" +
                        ORVGF::vLoadResString(kTextRemoveMissing);
  if (vMessageBox(ORVGF::vGetLastPopupWindow(), text.c_str(), u"", kWarnOKCancel) == 0) {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      record->type = 0;
    }
    PostMessage(m_hWindow, kAlbumMessage, 0, index);
  }
  return false;
}

int32_t CCaptureView::AddFile(int32_t type, const WCHAR* path) {
  if ((type != 1 && type != 2) || !path || !QelPathFileExists(path) || !m_pAlbums[0]) return 0;
  auto* record = new _THUMBDATA(type, path);
  ORVGF::vGetFileModifyTime(path, record->fileTime);
  record->SetDib(MakeThumbnail(type, path));
  // A file no thumbnail can be made of still belongs to the album.
  if (!record->dib) m_broken.insert(record);
  m_records.push_back(record);
  m_bInserting = true;
  if (PubQelmar::QelAlbum* typed = m_pAlbums[TypeAlbum(type)]) typed->InsertHead(record);
  m_pAlbums[0]->InsertHead(record);
  m_bInserting = false;
  if (m_nShown != 0 && m_nShown != TypeAlbum(type)) {
    // The new file is not in the shown album: show every file.
    reinterpret_cast<PubQelmar::QelElement*>(ShownAlbum())->Show(0);
    m_nShown = 0;
    reinterpret_cast<PubQelmar::QelElement*>(ShownAlbum())->Show(1);
  }
  if (m_pSelector) m_pSelector->SetSel(m_nShown);
  ResetFocus(ShownAlbum(), 0, true);
  // The cache is only a cache: a file it cannot take stays in the album.
  if (record->dib && !(m_pDB && m_pDB->InsertOneRecord(record))) {
    std::fprintf(stderr, "capture album: thumbnail of %s not stored\n", QelToUTF8(path).c_str());
  }
  return 1;
}

void CCaptureView::RemoveBroken() {
  std::vector<_THUMBDATA*> gone;
  m_bDeleting = true;
  for (PubQelmar::QelAlbum* album : m_pAlbums) {
    if (!album) continue;
    for (int32_t i = album->GetNumOfItem() - 1; i >= 0; --i) {
      auto* r = static_cast<_THUMBDATA*>(album->GetItemDataByIndex(i));
      if (r && r->type != 0 && QelPathFileExists(r->path)) continue;
      album->DeleteItem(i);
      if (r) {
        r->type = 0;
        if (std::find(gone.begin(), gone.end(), r) == gone.end()) gone.push_back(r);
      }
    }
  }
  m_bDeleting = false;
  for (_THUMBDATA* r : gone) {
    if (m_pDB) m_pDB->DeleteOneRecord(r);
    Forget(r);
  }
}

int32_t CCaptureView::DeleteSelection() {
  std::vector<int32_t> indexes;
  std::vector<_THUMBDATA*> picked = SelectedRecords(&indexes);
  if (picked.empty()) return 0;
  std::u16string question = ORVGF::vLoadResString(kTextDeleteQuestion);
  if (vMessageBox(ORVGF::vGetLastPopupWindow(), question.c_str(), u"", kWarnYesNo) != 0) return 0;
  StopThumbThread();
  TakeReady();
  std::list<CQelStringW> paths;
  for (_THUMBDATA* r : picked) paths.emplace_back(r->path);
  std::vector<CQelStringW> failed;
  CORVPubTools::DeleteFile(paths, nullptr, 1, 1, &failed);
  // Only the files that went to the Trash leave the album and the cache.
  std::u16string stayed;
  for (_THUMBDATA* r : picked) {
    bool kept = std::any_of(failed.begin(), failed.end(), [&](const CQelStringW& f) { return f == r->path; });
    if (kept && QelPathFileExists(r->path)) {
      stayed += std::u16string(r->path) + u"\n";
      continue;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    r->type = 0;
  }
  RemoveBroken();
  if (PubQelmar::QelAlbum* shown = ShownAlbum()) {
    int32_t n = shown->GetNumOfItem();
    int32_t current = indexes.empty() ? 0 : indexes.front();
    if (current >= n) current = n - 1;
    ResetFocus(shown, current, true);
  }
  if (!stayed.empty()) Message(kTextNotTrashed, stayed);
  return stayed.size() < paths.size() ? 1 : 0;
}

int32_t CCaptureView::RunApplication(const std::u16string& program, const std::u16string& assetList,
                                     const std::u16string& extra) {
  if (!Exists(program)) {
    Message(0, Format(kTextProgramMissing, program, u"The program \"%s\" is not installed."));
    return 0;
  }
  if (!Exists(assetList)) return 0;
  std::u16string line = u"\"" + program + u"\"";
  if (!extra.empty()) line += u" " + extra;
  line += u" -AssetFilePath \"" + assetList + u"\" -MBStatus \"\"";
  if (CORVPubTools::Execute(nullptr, line.c_str()) == 1) return 1;
  Message(0, Format(kTextCannotStart, program, u"The program \"%s\" could not be started."));
  return 0;
}

int32_t CCaptureView::PlaySelection() {
  std::vector<int32_t> indexes;
  std::vector<_THUMBDATA*> picked = SelectedRecords(&indexes);
  if (picked.empty()) return 0;
  _THUMBDATA* first = picked.front();
  if (!ConfirmExists(first, indexes.front())) return 0;
  int32_t type = first->type;
  // The file may have changed since its thumbnail was made.
  if (unsigned char* fresh = MakeThumbnail(type, first->path)) {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      first->SetDib(fresh);
    }
    if (PubQelmar::QelAlbum* shown = ShownAlbum()) PutThumbnail(shown->GetItemByIndex(indexes.front()), first);
  }
  std::vector<CQelStringW> files;
  PubQelmar::QelAlbum* shown = ShownAlbum();
  if (picked.size() == 1) {
    for (int32_t i = 0, n = shown->GetNumOfItem(); i < n; ++i) {
      auto* r = static_cast<_THUMBDATA*>(shown->GetItemDataByIndex(i));
      if (r && r->type == type) files.emplace_back(r->path);
    }
  } else {
    for (_THUMBDATA* r : picked) {
      if (r->type == type) files.emplace_back(r->path);
    }
  }
  // The command line quotes every path: one with a quote cannot be passed.
  for (const CQelStringW& f : files) {
    if (f.Find(u'"') >= 0) {
      Message(0, Format(kTextQuoteInPath, f.c_str(), u"\"%s\" has a quotation mark in its name and cannot be opened."));
      return 0;
    }
  }
  CQelStringW list = ORVGF::CreateXMLFile(files, CQelStringW(first->path));
  if (list.IsEmpty()) return 0;
  std::u16string program = ContentsItem(type == 1 ? u"Dunsellow Vistrel.app" : u"Dunsellow Playvane.app");
  return RunApplication(program, list.c_str(), u"");
}

int32_t CCaptureView::ShowProperties() {
  std::vector<int32_t> indexes;
  std::vector<_THUMBDATA*> picked = SelectedRecords(&indexes);
  if (picked.size() != 1) return 0;
  _THUMBDATA* r = picked.front();
  if (!ConfirmExists(r, indexes.front())) return 0;
  std::u16string path = r->path;
  std::u16string folder = path.substr(0, path.rfind(u'/'));
  std::u16string size, date = ORVGF::vFileTimeToString(r->fileTime);
  ORVGF::vGetFileSizeText(path, size);
  std::u16string name = QelPathFindFileName(path.c_str());
  WindowRef parent = ORVGF::vGetLastPopupWindow();
  if (r->type == 1) {
    tagIMAGE_PROPERTY property{name, folder, size, date, {}};
    ORVGF::vGetImageFileResolution(path, property.fileFormat);
    CDlgImageProperty dialog(property, parent);
    if (!dialog.Create(u"ImageProperty.aui", nullptr, parent)) return 0;
    dialog.DoModal();
    return 1;
  }
  tagVIDEO_PROPERTY property{name, folder, size, date, {}, {}, {}};
  ORVGF::vGetVideoFileProperty(path, property.mediaDuration, property.audioFormat, property.videoFormat);
  CDlgVideoProperty dialog(property, parent);
  if (!dialog.Create(u"VideoProperty.aui", nullptr, parent)) return 0;
  dialog.DoModal();
  return 1;
}

int32_t CCaptureView::SelectAll() {
  PubQelmar::QelAlbum* shown = ShownAlbum();
  if (!shown || shown->GetNumOfItem() == 0) return 0;
  tagAlbumSeleNotify all{{-1, 1, 0}};
  shown->SetSelect(&all);
  return 1;
}

int32_t CCaptureView::Refresh() {
  std::error_code ec;
  if (!std::filesystem::is_directory(QelToUTF8(m_strFolder), ec)) return 0;
  UnInit();
  return LoadFolder();
}

int32_t CCaptureView::Navigate() {
  if (PubQelmar::QelAlbum* shown = ShownAlbum()) shown->NavigateItem(0);
  return 1;
}

int32_t CCaptureView::HandOver(bool print) {
  std::vector<_THUMBDATA*> picked = SelectedRecords();
  if (picked.empty()) {
    vMessageBox(m_hWindow, ORVGF::vLoadResString(kTextNoSelection).c_str(), u"", kWarnOK);
    return 0;
  }
  const char16_t* bundleName = print ? u"Printwell.bundle" : u"ZylEmail.bundle";
  std::vector<std::u16string> files;
  for (_THUMBDATA* record : picked) files.emplace_back(record->path);
  bool found = false;
  const int32_t result =
      CallBundleDialog(bundleName, print ? "NuvoPrintDlg" : "OrvMailDlg", files, m_hWindow, print, nullptr, &found);
  if (!found) {
    Message(0, Format(kTextBundleMissing, bundleName, u"\"%s\" is not installed."));
    return 0;
  }
  if (print) {
    if (result == 5) vMessageBox(m_hWindow, ORVGF::vLoadResString(kTextNotPrinted).c_str(), u"", kWarnOK);
    return result ? 0 : 1;
  }
  return result == 1 ? 1 : 0;  // done; nothing sent and a refused record are not
}

int32_t CCaptureView::Reveal() {
  std::vector<int32_t> indexes;
  std::vector<_THUMBDATA*> picked = SelectedRecords(&indexes);
  if (picked.size() != 1 || !ConfirmExists(picked.front(), indexes.front())) return 0;
  return ORVGF::ShowInFolder(m_hWindow, picked.front()->path);
}

int32_t CCaptureView::SwitchAlbum() {
  if (!m_pSelector) return 0;
  int32_t chosen = m_pSelector->GetSel();
  if (chosen < 0 || chosen > 2 || chosen == m_nShown || !m_pAlbums[chosen]) return 0;
  StopThumbThread();
  PubQelmar::QelAlbum* old = ShownAlbum();
  reinterpret_cast<PubQelmar::QelElement*>(old)->Show(0);
  tagAlbumSeleNotify none{{-1, 0, 0}};
  m_bDeleting = true;  // its selection goes quietly
  old->SetSelect(&none);
  m_bDeleting = false;
  m_nShown = chosen;
  reinterpret_cast<PubQelmar::QelElement*>(ShownAlbum())->Show(1);
  ResetFocus(ShownAlbum(), ShownAlbum()->GetNumOfItem() > 0 ? 0 : -1, true);
  return 1;
}

int32_t CCaptureView::ChangeFolder(const WCHAR* folder) {
  if (!folder) return 0;
  // Letter case makes another folder on Linux: compared exactly.
  std::u16string path = folder;
  while (path.size() > 1 && path.back() == u'/') path.pop_back();
  std::u16string current = m_strFolder;
  while (current.size() > 1 && current.back() == u'/') current.pop_back();
  if (path == current) return 1;
  m_strFolder = path;
  return Refresh();
}
