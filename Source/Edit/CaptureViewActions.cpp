// The album's actions: add, delete, play or view, properties, select all,
// print, e-mail, reveal, album switch and removal of entries whose file is
// gone.
#include <algorithm>
#include <cstdio>
#include <list>

#include "AppHelper.h"
#include "AssetListFile.h"
#include "CDBManager.h"
#include "CDIBGetThread.h"
#include "CPath.h"
#include "CaptureView.h"
#include "ShowInFolder.h"
#include "DibHelper.h"
#include "DlgProperty.h"
#include "DlgWarning.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "EditTexts.h"
#include "ModuleInstance.h"
#include "NuvoDlgParam.h"
#include "ORVPubTools.h"
#include "ThumbFileTime.h"
#include "os/Reveal.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {

constexpr char16_t kWrongFile[] = u"Wrong File : Delete it or not";
constexpr const char16_t* kViewerBundle = u"Dunsellow Vistrel.app";
constexpr const char16_t* kPlayerBundle = u"Dunsellow Playvane.app";

std::u16string Res(uint32_t id) { return std::u16string(vLoadResString(id).c_str()); }

std::u16string FileName(const std::u16string& path) {
  size_t slash = path.find_last_of(u'/');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string FolderOf(const std::u16string& path) {
  size_t slash = path.find_last_of(u'/');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

intptr_t CCaptureView::DoAlbumCall(int32_t code, intptr_t index, const void* data, const void*) {
  qel::Album* album = GetCurrentAlbum();
  const int32_t selected = album ? album->SelectedCount() : 0;
  switch (code) {
    case kAdd:
      return DoAddFile(static_cast<const WCHAR*>(data), int32_t(index));
    case kDelete:
      return DoDelete();
    case kPlay:
      return DoPlay();
    case kProperty:
      return DoProperty();
    case kSelectAll:
      return DoSelectAll();
    case kRefresh:
      return DoRefresh();
    case kPrint:
      return DoPrint();
    case kEmail:
      return DoEmail();
    case kFindTarget:
      return DoFindTarget();
    case kCanDelete:
    case kCanPlay:
    case kCanPrint:
    case kCanEmail:
      return selected > 0 ? 1 : 0;
    case kCanProperty:
    case kCanFindTarget:
      return selected == 1 ? 1 : 0;
    case kAlbumSelect:
      return DoAlbumSelect();
    case kUpdatePath:
      return DoUpdatePath(static_cast<const WCHAR*>(data));
    case kDeleteDirty:
      return album ? DoDeleteDirtyThumb() : 0;
    case kShowThumb:
      return DoShowThumbDIB(int32_t(index));
    default:
      return 0;
  }
}

std::vector<_THUMBDATA*> CCaptureView::SelectedRecords() {
  std::vector<_THUMBDATA*> records;
  qel::Album* album = GetCurrentAlbum();
  if (!album) return records;
  for (int32_t index : album->SelectedIndexes()) {
    if (_THUMBDATA* record = Record(album, index)) records.push_back(record);
  }
  return records;
}

void CCaptureView::Warn(const std::u16string& text, WindowRef parent) {
  vMessageBox(parent, text.c_str(), u"", kWarnOK);
}

int32_t CCaptureView::AskWrongFile(_THUMBDATA* record, const std::u16string& text) {
  if (vMessageBox(vGetLastPopupWindow(), text.c_str(), u"", kWarnOKCancel) == 0) {
    record->type = 0;
    Notify(kAlbumNotifyDirty, GetCurrentThumbnail());
  }
  return 0;
}

void CCaptureView::RemoveEverywhere(_THUMBDATA* record) {
  m_bBusy = 1;
  for (qel::Album* album : m_albums) {
    if (!album) continue;
    for (int32_t i = album->Count() - 1; i >= 0; --i) {
      if (album->Data(i) == record) album->Delete(i);
    }
  }
  m_bBusy = 0;
  m_broken.erase(record);
  std::lock_guard<std::mutex> hold(m_lock);
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (it->record == record) {
      DIBDelete(it->dib);
      it = m_pending.erase(it);
    } else {
      ++it;
    }
  }
}

int32_t CCaptureView::DoAddFile(const WCHAR* path, int32_t type) {
  if (!path || !CPath::IsFileExist(path) || (type != 1 && type != 2) || !m_albums[0]) return 0;
  auto* record = new _THUMBDATA(type, path);
  GetThumbFileTime(path, &record->fileTime);
  const SIZE size = ThumbSize();
  unsigned char* dib = nullptr;
  if (type == 2) {
    CEditPanel* panel = vGetPanelHandle();
    if (panel) panel->SetOpenningVideo(1);
    dib = DibGetFromVideoFile(path, size.cx, size.cy);
    if (panel) panel->SetOpenningVideo(0);
  } else {
    dib = DibGetFromImageFile(path, size.cx, size.cy);
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    record->SetDib(dib);
  }
  if (!dib) m_broken.insert(record);
  m_bBusy = 1;
  if (qel::Album* kind = m_albums[type]) kind->Insert(0, record);
  m_albums[0]->Insert(0, record);
  m_bBusy = 0;
  // A movie added while the photos are shown brings up the album of all.
  if (type == 2 && m_nCurAlbum == 1) SwitchAlbum(0);
  SelectOnly(0);
  Notify(kAlbumNotifySelection, -1);
  Notify(kAlbumNotifyCurrent, 0);
  const bool stored = dib && m_pDB && m_pDB->InsertOneRecord(record);
  return stored ? 1 : 0;
}

int32_t CCaptureView::DoDelete() {
  qel::Album* album = GetCurrentAlbum();
  if (!album || album->SelectedCount() == 0) return 0;
  CloseThumbThread();
  const std::vector<int32_t> indexes = album->SelectedIndexes();
  const int32_t first = indexes.empty() ? 0 : indexes.front();
  std::vector<_THUMBDATA*> records = SelectedRecords();
  std::list<CQelStringW> paths;
  for (_THUMBDATA* record : records) paths.emplace_back(record->path);
  std::vector<CQelStringW> failed;
  CORVPubTools::DeleteFile(paths, nullptr, 1, 0, &failed);
  // Only what really went to the Trash leaves the album and the database.
  std::u16string kept;
  for (_THUMBDATA* record : records) {
    const bool stayed = std::any_of(failed.begin(), failed.end(), [&](const CQelStringW& p) {
      return std::u16string_view(p.c_str()) == std::u16string_view(record->path);
    });
    if (stayed) {
      kept += u"\n" + FileName(record->path);
      continue;
    }
    if (m_pDB) m_pDB->DeleteOneRecord(record);
    RemoveEverywhere(record);
    delete record;
  }
  if (album->Count() > 0) SelectOnly(std::min(first, album->Count() - 1));
  else m_nCurItem = -1;
  Notify(kAlbumNotifySelection, -1);
  if (CEditPanel* panel = vGetPanelHandle()) panel->DoUpdatePreview();
  if (!kept.empty()) Warn(Res(60) + u"\n" + kept, vGetModuleQelWin());
  return 1;
}

int32_t CCaptureView::DoDeleteDirtyThumb() {
  CloseThumbThread();
  std::vector<_THUMBDATA*> dirty;
  if (m_albums[0]) {
    for (int32_t i = 0; i < m_albums[0]->Count(); ++i) {
      _THUMBDATA* record = Record(m_albums[0], i);
      if (record && record->type == 0) dirty.push_back(record);
    }
  }
  // The entry goes; the file itself is never touched here.
  for (_THUMBDATA* record : dirty) {
    if (m_pDB) m_pDB->DeleteOneRecord(record);
    RemoveEverywhere(record);
    delete record;
  }
  qel::Album* album = GetCurrentAlbum();
  if (album && album->Count() > 0) {
    int32_t current = album->Current();
    SelectOnly(current >= 0 && current < album->Count() ? current : std::min(std::max(m_nCurItem, 0), album->Count() - 1));
  }
  return 1;
}

int32_t CCaptureView::DoSelectAll() {
  qel::Album* album = GetCurrentAlbum();
  if (!album || album->Count() == 0) return 0;
  album->Select(-1, true, false);
  UpdateMarks(album, -1);
  return 1;
}

int32_t CCaptureView::DoPlay() {
  qel::Album* album = GetCurrentAlbum();
  std::vector<_THUMBDATA*> selected = SelectedRecords();
  if (!album || selected.empty()) return 0;
  _THUMBDATA* first = selected.front();
  if (!CPath::IsFileExist(first->path)) return AskWrongFile(first, kWrongFile);
  const int32_t type = first->type == 2 ? 2 : 1;
  std::vector<CQelStringW> list;
  if (selected.size() == 1) {
    for (int32_t i = 0; i < album->Count(); ++i) {
      _THUMBDATA* record = Record(album, i);
      if (record && record->type == type) list.emplace_back(record->path);
    }
  } else {
    for (_THUMBDATA* record : selected) {
      if (record->type == type) list.emplace_back(record->path);
    }
  }
  // The programs' command line quotes every path: a quote inside one would
  // change what they read.
  for (const CQelStringW& path : list) {
    if (std::u16string_view(path.c_str()).find(u'"') != std::u16string_view::npos) {
      Warn(vLoadResFormat(66, u"%s cannot be opened: its name contains a double quote.", path.c_str()),
           vGetLastPopupWindow());
      return 0;
    }
  }
  std::u16string program = PathJoin(CPath::GetModuleContentPath(nullptr), type == 1 ? kViewerBundle : kPlayerBundle);
  if (!CPath::IsFileExist(program.c_str())) {
    Warn(Res(type == 1 ? 61 : 62), vGetLastPopupWindow());
    return 0;
  }
  CQelStringW assets = ORVGF::CreateXMLFile(list, CQelStringW(first->path));
  if (assets.IsEmpty() || !CPath::IsFileExist(assets.c_str())) return 0;
  std::u16string command = u"\"" + program + u"\" -AssetFilePath \"" + std::u16string(assets.c_str()) +
                           u"\" -MBStatus \"\"";
  if (CORVPubTools::Execute(nullptr, command.c_str())) return 1;
  Warn(Res(type == 1 ? 61 : 62), vGetLastPopupWindow());
  return 0;
}

int32_t CCaptureView::DoProperty() {
  std::vector<_THUMBDATA*> selected = SelectedRecords();
  if (selected.size() != 1) return 0;
  _THUMBDATA* record = selected.front();
  if (record->type == 0 || !CPath::IsFileExist(record->path)) {
    record->type = 0;
    Notify(kAlbumNotifyFileGone, -1);
    Notify(kAlbumNotifyDirty, GetCurrentThumbnail());
    return 0;
  }
  const std::u16string path(record->path);
  WindowRef parent = vGetLastPopupWindow();
  std::u16string size, time;
  vGetFileSize(path.c_str(), size);
  vFileTimeToString(time, &record->fileTime);
  if (record->type == 1) {
    tagIMAGE_PROPERTY property;
    property.fileName = FileName(path);
    property.filePath = FolderOf(path);
    property.fileSize = size;
    property.fileTime = time;
    vGetImageFileResolution(path.c_str(), property.fileFormat);
    CDlgImageProperty dialog(property, parent);
    if (dialog.Create(u"ImageProperty.aui", nullptr, parent)) dialog.DoModal();
    else dialog.Close();
  } else {
    tagVIDEO_PROPERTY property;
    property.fileName = FileName(path);
    property.filePath = FolderOf(path);
    property.fileSize = size;
    property.fileTime = time;
    {
      CEditPanel* panel = vGetPanelHandle();
      if (panel) panel->SetOpenningVideo(1);
      vGetVideoFileProperty(path.c_str(), property.mediaDuration, property.audioFormat, property.videoFormat);
      if (panel) panel->SetOpenningVideo(0);
    }
    CDlgVideoProperty dialog(property, parent);
    if (dialog.Create(u"VideoProperty.aui", nullptr, parent)) dialog.DoModal();
    else dialog.Close();
  }
  return 1;
}

int32_t CCaptureView::DoFindTarget() {
  std::vector<_THUMBDATA*> selected = SelectedRecords();
  if (selected.size() != 1) return 0;
  _THUMBDATA* record = selected.front();
  if (record->type == 0 || !CPath::IsFileExist(record->path)) {
    std::u16string text = vLoadResFormat(35, u"%s cannot be found.", record->path) + u"\n\n" + Res(37);
    return AskWrongFile(record, text);
  }
  return ORVGF::ShowInFolder(vGetModuleQelWin(), record->path);
}

int32_t CCaptureView::DoEmail() {
  std::vector<_THUMBDATA*> selected = SelectedRecords();
  if (selected.empty()) {
    Warn(Res(4), vGetModuleQelWin());
    return 0;
  }
  std::vector<std::u16string> files;
  for (_THUMBDATA* record : selected) files.emplace_back(record->path);
  bool found = false;
  const int32_t answer = CallBundleDialog(u"ZylEmail.bundle", "OrvMailDlg", files, vGetModuleQelWin(), false,
                                          const_cast<plat::Bundle*>(vGetModuleInst()), &found);
  if (!found) {
    Warn(Res(63), vGetModuleQelWin());
    return 0;
  }
  return answer == 1 ? 1 : 0;
}

int32_t CCaptureView::DoPrint() {
  std::vector<_THUMBDATA*> selected = SelectedRecords();
  if (selected.empty()) {
    Warn(Res(4), nullptr);
    return 0;
  }
  std::vector<std::u16string> files;
  for (_THUMBDATA* record : selected) files.emplace_back(record->path);
  bool found = false;
  const int32_t answer = CallBundleDialog(u"Printwell.bundle", "NuvoPrintDlg", files, vGetModuleQelWin(), true,
                                          const_cast<plat::Bundle*>(vGetModuleInst()), &found);
  if (!found) {
    Warn(Res(64), vGetModuleQelWin());
    return 0;
  }
  if (answer == 5) Warn(Res(65), vGetModuleQelWin());
  return answer;
}

int32_t CCaptureView::DoAlbumSelect() {
  if (!m_pCombo) return 0;
  const int32_t wanted = m_pCombo->Selection();
  if (wanted < 0 || wanted > 2 || wanted == m_nCurAlbum || !m_albums[wanted]) return 0;
  CEditPanel* panel = vGetPanelHandle();
  if (panel && panel->WarningSaveNew() == 0) {
    m_pCombo->SetSelection(m_nCurAlbum);
    return 1;
  }
  SwitchAlbum(wanted);
  return 1;
}

void CCaptureView::SwitchAlbum(int32_t wanted) {
  CloseThumbThread();
  qel::Album* old = GetCurrentAlbum();
  old->Show(false);
  old->Select(-1, false, false);
  m_nCurAlbum = wanted;
  qel::Album* album = GetCurrentAlbum();
  album->Show(true);
  m_nCurItem = -1;
  if (album->Count() > 0) SelectOnly(0);
  Notify(kAlbumNotifySelection, -1);
  Notify(kAlbumNotifyCurrent, album->Current());
  if (m_pCombo) m_pCombo->SetSelection(m_nCurAlbum);
  Qel0SetGValue(2, reinterpret_cast<intptr_t>(album->Handle()));
}
