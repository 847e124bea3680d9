// The edit album: building the three albums, listing the folder, the
// albums' events and the selection.
#include "CaptureView.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>

#include "AppHelper.h"
#include "CDBManager.h"
#include "DibHelper.h"
#include "CPath.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "ThumbFileTime.h"
#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace {

// Lower-case ASCII comparison of two paths: <0, 0, >0.
int CompareNoCase(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    WCHAR x = *a, y = *b;
    if (x >= u'A' && x <= u'Z') x = WCHAR(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = WCHAR(y - u'A' + u'a');
    if (x != y || !x) return int(x) - int(y);
  }
}

// Newer first; equal times by path without regard to case, the greater
// first; a missing record last.
bool MyCompare(const _THUMBDATA* a, const _THUMBDATA* b) {
  if (!a || !b) return a && !b;
  if (a->fileTime != b->fileTime) return b->fileTime < a->fileTime;
  return CompareNoCase(a->path, b->path) > 0;
}

}  // namespace

CCaptureView::CCaptureView(PubQelmar::QelPanel* albumPanel, ICaptureListener* listener)
    : m_pListener(listener), m_pAlbumPanel(albumPanel) {
  BuildUI();
}

CCaptureView::~CCaptureView() {
  CloseThumbThread();
  SetCallbacks(false);
  FreeAllRecords();
  m_pDB.reset();
}

void CCaptureView::BuildUI() {
  qel::Element* panel = m_pAlbumPanel ? qel::Element::From(m_pAlbumPanel->Handle()) : nullptr;
  m_pCombo = panel ? panel->FindByName("comb_capture", true) : nullptr;
  if (!m_pCombo) return;
  m_pCombo->Items().clear();
  m_pCombo->SetShowItemTips(true);
  for (uint32_t id : {27u, 28u, 29u}) {
    std::u16string text(vLoadResString(id).c_str());
    int32_t at = m_pCombo->AddItem(text);
    if (at >= 0) m_pCombo->Items()[size_t(at)].tip = text;
  }
  if (m_pCombo->Items().size() != 3) return;
  m_pCombo->SetSelection(m_nCurAlbum);
  auto* first = dynamic_cast<qel::Album*>(panel->FindByName("albumtable", true));
  if (!first) return;
  PubQelmar::QelPanel* itemTemplate = vLoadPanel(u"CaptureThumb.aui");
  m_albums[0] = first;
  qel::Element* parent = first->Parent();
  const auto& siblings = parent->Children();
  auto at = std::find(siblings.begin(), siblings.end(), first);
  qel::Element* next = at + 1 != siblings.end() ? *(at + 1) : nullptr;
  for (int i = 1; i < 3; ++i) {
    auto* copy = dynamic_cast<qel::Album*>(static_cast<qel::Object*>(Qel0CopyObject(first->Handle())));
    if (!copy) continue;
    copy->SetName("albumtable" + std::to_string(i));
    copy->PutInside(parent, next);
    copy->Release();  // the parent holds it now
    m_albums[i] = copy;
  }
  for (int i = 0; i < 3; ++i) {
    if (!m_albums[i]) continue;
    SetupAlbum(m_albums[i], itemTemplate ? itemTemplate->Handle() : nullptr);
    m_albums[i]->Show(i == m_nCurAlbum);
    m_pCombo->Items()[size_t(i)].data = m_albums[i];
  }
  if (itemTemplate) itemTemplate->Release();
}

void CCaptureView::SetupAlbum(qel::Album* album, QelObject itemTemplate) {
  qel::Element* item = itemTemplate ? qel::Element::From(itemTemplate) : nullptr;
  if (item) {
    if (qel::Element* view = item->FindByName("view_ThumbImage", true)) {
      m_thumbMargin = view->Margin();
      m_thumbSize = view->FrameSize();
    }
    SIZE size = item->FrameSize();
    album->SetCellSize(size.cx, size.cy);
    album->SetTemplate(item);
  }
  album->SetLayoutRange(1, 999);
  album->SetSingleSelect(false);
  album->SetImageMode(1);
  album->SetKeyAction(true);
  album->SetHorizontal(true);
  album->SetScrollBarState(true, 1);
  album->SetScrollBarState(false, 1);
}

void CCaptureView::Notify(int32_t code, int32_t index) {
  if (!m_pListener) return;
  _AlbumOptMsg message;
  message.code = code;
  message.index = index;
  message.album = GetCurrentAlbum();
  m_pListener->Receive(kEditAlbumSource, &message, this);
}

_THUMBDATA* CCaptureView::Record(qel::Album* album, int32_t index) {
  if (!album || index < 0 || index >= album->Count()) return nullptr;
  return static_cast<_THUMBDATA*>(album->Data(index));
}

int32_t CCaptureView::AlbumIndexOf(qel::Album* album) const {
  for (int i = 0; i < 3; ++i) {
    if (m_albums[i] == album) return i;
  }
  return -1;
}

int32_t CCaptureView::Init(const WCHAR* folder) {
  if (!m_pAlbumPanel || !m_pListener || !m_albums[0] || !folder || !*folder) return 0;
  if (!CPath::IsFileExist(folder)) return 0;
  m_strFolder = folder;
  if (!m_pDB) m_pDB = std::make_unique<CDBManager>();
  if (!m_pDB->Connect(folder)) std::fprintf(stderr, "edit: thumbnails of %s are made without a cache\n",
                                            QelToUTF8(m_strFolder).c_str());

  std::vector<_THUMBDATA*> records;
  if (DIR* dir = ::opendir(QelToUTF8(m_strFolder).c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;  // hidden files are not the user's media
      std::u16string path = PathJoin(m_strFolder, QelFromUTF8(entry->d_name));
      int type = 0;
      if (!vIsSupportFile(path.c_str(), &type)) continue;
      auto* record = new _THUMBDATA(type == 2 ? 2 : 1, path.c_str());
      GetThumbFileTime(record->path, &record->fileTime);
      records.push_back(record);
    }
    ::closedir(dir);
  }
  std::sort(records.begin(), records.end(), MyCompare);
  for (_THUMBDATA* record : records) {
    if (qel::Album* kind = m_albums[record->type == 2 ? 2 : 1]) kind->Insert(-1, record);
    m_albums[0]->Insert(-1, record);
  }

  SetCallbacks(true);
  qel::Album* album = GetCurrentAlbum();
  m_nCurItem = -1;
  if (album && album->Count() > 0) SelectOnly(0);
  // The arrow keys move in the album from the start.
  if (album) Qel0SetGValue(2, reinterpret_cast<intptr_t>(album->Handle()));
  Notify(kAlbumNotifySelection, -1);
  if (CEditPanel* panel = vGetPanelHandle()) panel->DoUpdatePreview();
  return 1;
}

void CCaptureView::SetCallbacks(bool on) {
  for (qel::Album* album : m_albums) {
    if (album) album->SetCallback(on ? &CCaptureView::Album_Proc : nullptr, on ? this : nullptr);
  }
  m_bCallbacks = on;
}

void CCaptureView::FreeAllRecords() {
  std::vector<_THUMBDATA*> records;
  if (m_albums[0]) {
    for (int32_t i = 0; i < m_albums[0]->Count(); ++i) records.push_back(Record(m_albums[0], i));
  }
  for (qel::Album* album : m_albums) {
    if (album) album->Reset();
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    for (Pending& p : m_pending) DIBDelete(p.dib);
    m_pending.clear();
  }
  m_broken.clear();
  m_walk.clear();
  for (_THUMBDATA* record : records) delete record;
}

int32_t CCaptureView::DoRefresh() {
  CloseThumbThread();
  SetCallbacks(false);
  FreeAllRecords();
  return Init(m_strFolder.c_str());
}

int32_t CCaptureView::DoUpdatePath(const WCHAR* path) {
  if (!path) return 0;
  if (m_strFolder == path) return 1;
  CloseThumbThread();
  SetCallbacks(false);
  FreeAllRecords();
  m_strFolder = path;
  return Init(path);
}

int32_t CCaptureView::Album_Proc(QelObject element, int32_t event, QELLPARAM param, void* data) {
  auto* self = static_cast<CCaptureView*>(data);
  auto* album = dynamic_cast<qel::Album*>(qel::Element::From(element));
  if (self && album) self->OnAlbumEvent(album, event, param);
  return 0;
}

void CCaptureView::OnAlbumEvent(qel::Album* album, int32_t event, QELLPARAM param) {
  const auto* notify = reinterpret_cast<const QelAlbumItemNotify*>(param);
  switch (event) {
    case qel::kAlbumItemShown: {
      if (!notify || !notify->flag) return;
      _THUMBDATA* record = Record(album, notify->index);
      if (record) {
        if (record->dib || IsBroken(record)) {
          PlaceThumb(album, notify->index);
        } else if (record->type == 0) {
          Notify(kAlbumNotifyDirty, notify->index);
        } else if (album == GetCurrentAlbum()) {
          StartThumbThread(notify->index);
        }
      }
      UpdateMarks(album, notify->index);
      return;
    }
    case qel::kAlbumSelectChanged:
      if (m_bBusy) return;
      UpdateMarks(album, notify ? notify->index : -1);
      if (album == GetCurrentAlbum()) Notify(kAlbumNotifySelection, -1);
      return;
    case qel::kAlbumCurrentChanged:
      if (m_bBusy || !notify) return;
      UpdateMarks(album, -1);
      if (notify->flag && album == GetCurrentAlbum()) {
        m_nCurItem = notify->index;
        Notify(kAlbumNotifyCurrent, notify->index);
      }
      return;
    default:
      return;
  }
}

void CCaptureView::UpdateMarks(qel::Album* album, int32_t index) {
  if (!album) return;
  auto mark = [album](int32_t i) {
    qel::Element* item = album->ItemPanel(i);
    if (!item) return;
    const bool selected = album->IsSelected(i);
    if (qel::Element* e = item->FindByName("Select", true)) e->Show(selected);
    if (qel::Element* e = item->FindByName("Focus", true)) e->Show(!selected && album->Current() == i);
  };
  if (index >= 0) {
    mark(index);
    return;
  }
  for (int32_t i = 0; i < album->Count(); ++i) {
    if (album->IsDisplayed(i)) mark(i);
  }
}

void CCaptureView::SelectOnly(int32_t index) {
  qel::Album* album = GetCurrentAlbum();
  if (!album || index < 0 || index >= album->Count()) return;
  album->Select(index, true, true);
  album->SetCurrent(index);
  album->ScrollToItem(index);
  m_nCurItem = index;
  UpdateMarks(album, -1);
}

int32_t CCaptureView::GetCurrentThumbnail() {
  qel::Album* album = GetCurrentAlbum();
  return album ? album->Current() : -1;
}

std::u16string CCaptureView::GetThumbnailPath(int32_t index) {
  _THUMBDATA* record = Record(GetCurrentAlbum(), index);
  return record && record->path ? std::u16string(record->path) : std::u16string();
}

int32_t CCaptureView::GetThumbnailPath(int32_t index, WCHAR* out, size_t capacity) {
  std::u16string path = GetThumbnailPath(index);
  if (path.size() + 1 > capacity) return int32_t(path.size() + 1);
  if (out) std::copy(path.c_str(), path.c_str() + path.size() + 1, out);
  return 0;
}

int32_t CCaptureView::GetThumbnailIndexByName(const WCHAR* path) {
  qel::Album* album = GetCurrentAlbum();
  if (!album || !path) return -1;
  // Exact comparison: on this file system "a.jpg" and "A.JPG" are two files.
  for (int32_t i = album->Count() - 1; i >= 0; --i) {
    _THUMBDATA* record = Record(album, i);
    if (record && record->path && std::u16string_view(record->path) == std::u16string_view(path)) return i;
  }
  return -1;
}

int32_t CCaptureView::GetThumbCount() {
  qel::Album* album = GetCurrentAlbum();
  return album ? album->Count() : 0;
}

int32_t CCaptureView::SetCurSelThumb(int32_t index) {
  qel::Album* album = GetCurrentAlbum();
  if (!album || index < 0 || index >= album->Count()) return 0;
  SelectOnly(index);
  return 1;
}

void CCaptureView::NavigateToSelectedItems() {
  qel::Album* album = GetCurrentAlbum();
  if (album && m_nCurItem >= 0 && m_nCurItem < album->Count()) album->ScrollToItem(m_nCurItem);
}

void CCaptureView::CancelDrag() {
  if (qel::Album* album = GetCurrentAlbum()) Qel0Inter(album->Handle(), QEL_IF_ALBUM, 71, 0, 0);
}

SIZE CCaptureView::ThumbSize() {
  const double ratio = vGetQelmarUIRatio();
  return SIZE{int32_t(80 * ratio), int32_t(60 * ratio)};
}
