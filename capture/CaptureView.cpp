// The capture album: building its three albums, loading the folder, the
// album notifications and the view's private message.
#include "CaptureView.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "AlbumRecords.h"
#include "CDIBGetThread.h"
#include "ORVGF.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kTextAll = 24, kTextPhotos = 25, kTextMovies = 26;

PubQelmar::QelAlbum* AsAlbum(QelObject o) { return static_cast<PubQelmar::QelAlbum*>(o); }

// Latest first; equal times by path, descending, letter case ignored.
bool Newer(const _THUMBDATA* a, const _THUMBDATA* b) {
  if (a->fileTime != b->fileTime) return b->fileTime < a->fileTime;
  return _cstrcmpi(a->path, b->path) > 0;
}

}  // namespace

CCaptureView::CCaptureView(PubQelmar::QelPanel* panel, ICaptureListener* listener, WindowRef window)
    : m_pPanel(panel), m_pListener(listener), m_hWindow(window) {
  double ratio = ORVGF::vGetQelmarUIRatio();
  if (!(ratio > 0)) ratio = 1.0;
  m_thumb = SIZE{int32_t(80 * ratio), int32_t(60 * ratio)};
  m_batch = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
  if (auto* w = CQelWindow::FetchQelWindow(window)) {
    w->RegisterMessage(kAlbumMessage, [this](QELWPARAM wp, QELLPARAM lp, bool& handled) {
      handled = true;
      return OnMessage(wp, lp);
    });
    m_bMessageHooked = true;
  }
  BuildUI();
}

CCaptureView::~CCaptureView() {
  UnInit();
  if (m_bMessageHooked) {
    if (auto* w = CQelWindow::FetchQelWindow(m_hWindow)) w->UnregisterMessage(kAlbumMessage);
  }
  delete m_pDB;
  // The first album was retained, the copies came with their own reference;
  // the page holds its own references to all three.
  for (PubQelmar::QelAlbum*& a : m_pAlbums) {
    if (a) reinterpret_cast<PubQelmar::QelElement*>(a)->Release();
    a = nullptr;
  }
}

void CCaptureView::BuildUI() {
  if (!m_pPanel) return;
  auto* selector = reinterpret_cast<PubQelmar::QelComboBox*>(m_pPanel->GetElementByName("comb_default11", 1));
  if (!selector) return;
  m_pSelector = selector;
  selector->ResetContent();
  selector->ShowTips(1);
  for (uint32_t id : {kTextAll, kTextPhotos, kTextMovies}) {
    std::u16string text = ORVGF::vLoadResString(id);
    int32_t at = selector->AddString(text.c_str());
    if (at >= 0) selector->SetTip(at, text.c_str());
  }
  if (selector->GetCount() != 3) return;
  selector->SetSel(m_nShown);
  auto* first = reinterpret_cast<PubQelmar::QelElement*>(m_pPanel->GetElementByName("albumtable", 1));
  PubQelmar::QelPanel* thumb = ORVGF::vLoadPanel(u"CaptureThumb.aui");
  if (!first || !thumb) {
    if (thumb) thumb->Release();
    std::fprintf(stderr, "capture album: no \"albumtable\" or no thumbnail template\n");
    return;
  }
  SIZE size{0, 0};
  thumb->GetSFSSize(&size);
  if (auto* area = qel::Element::From(thumb->GetElementByName("view_ThumbImage", 1))) {
    m_area = area->FrameSize();
    m_areaMargin = area->Margin();
  }
  // The photo and movie albums are copies of the first, beside it.
  PubQelmar::QelPanel* parent = first->GetPanel();
  qel::Element* next = nullptr;
  if (auto* p = qel::Element::From(parent)) {
    const auto& kids = p->Children();
    auto it = std::find(kids.begin(), kids.end(), qel::Element::From(first));
    if (it != kids.end() && ++it != kids.end()) next = *it;
  }
  m_pAlbums[0] = AsAlbum(first);
  first->Retain();
  for (int i = 1; i < 3; ++i) {
    auto* copy = static_cast<PubQelmar::QelElement*>(Qel0CopyObject(first));
    if (copy && parent) {
      copy->PutInsidePanel(parent, next ? reinterpret_cast<PubQelmar::QelElement*>(next->Handle())
                                        : static_cast<PubQelmar::QelElement*>(ADDEleEnd));
    }
    m_pAlbums[i] = AsAlbum(copy);  // keeps the copy's own reference
  }
  for (int i = 0; i < 3; ++i) {
    PubQelmar::QelAlbum* a = m_pAlbums[i];
    if (!a) continue;
    a->SetThumbWidth(size.cx);
    a->SetThumbHeight(size.cy);
    a->SetTemplate(thumb);
    a->SetMinLayoutNum(1);
    a->SetMaxLayoutNum(999);
    a->SetSingleSelect(0);
    a->SetAdjustImageMode(1);
    a->SetKeyAction(1);
    a->SetHorizontal(1);
    a->SetHScrlShowState(1);
    a->SetVScrlShowState(1);
    selector->SetItemData(i, a);
    reinterpret_cast<PubQelmar::QelElement*>(a)->Show(i == m_nShown);
  }
  thumb->Release();
}

int32_t CCaptureView::Init(const WCHAR* folder) {
  if (!m_pPanel || !m_pListener || !folder) return 0;
  m_strFolder = folder;
  return LoadFolder();
}

void CCaptureView::UnInit() {
  StopThumbThread();
  HookAlbums(false);
  m_bDeleting = true;
  for (PubQelmar::QelAlbum* a : m_pAlbums) {
    if (a) a->ResetContent();
  }
  m_bDeleting = false;
  FreeRecords();
}

bool CCaptureView::IsSupported(const std::u16string& path, int32_t* type) const {
  int t = 0;
  if (!ORVGF::vIsSupportFile(path, &t) || (t != 1 && t != 2)) return false;
  *type = t;
  return true;
}

int32_t CCaptureView::LoadFolder() {
  std::error_code ec;
  fs::path folder(QelToUTF8(m_strFolder));
  if (m_strFolder.empty() || !fs::is_directory(folder, ec)) return 0;
  if (!m_pDB) m_pDB = new CDBManager();
  // Without a usable database the album makes its thumbnails every time.
  if (!m_pDB->Connect(m_strFolder.c_str())) std::fprintf(stderr, "capture album: no thumbnail cache for %s\n", folder.c_str());

  std::vector<_THUMBDATA*> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::u16string path = QelFromUTF8(it->path().string());
    int32_t type = 0;
    if (!IsSupported(path, &type)) continue;
    auto* record = new _THUMBDATA(type, path.c_str());
    ORVGF::vGetFileModifyTime(path, record->fileTime);
    found.push_back(record);
  }
  std::sort(found.begin(), found.end(), Newer);
  m_bInserting = true;
  for (_THUMBDATA* record : found) {
    m_records.push_back(record);
    if (m_pAlbums[0]) m_pAlbums[0]->InsertTail(record);
    if (PubQelmar::QelAlbum* typed = m_pAlbums[TypeAlbum(record->type)]) typed->InsertTail(record);
  }
  m_bInserting = false;
  HookAlbums(true);
  if (PubQelmar::QelAlbum* shown = ShownAlbum()) ResetFocus(shown, shown->GetNumOfItem() > 0 ? 0 : -1, true);
  return 1;
}

void CCaptureView::HookAlbums(bool on) {
  if (on == m_bHooked) return;
  for (PubQelmar::QelAlbum* a : m_pAlbums) {
    auto* e = reinterpret_cast<PubQelmar::QelElement*>(a);
    if (e) e->SetCallback(on ? &CCaptureView::OnAlbumEvent : nullptr, on ? this : nullptr);
  }
  m_bHooked = on;
}

void CCaptureView::ResetFocus(PubQelmar::QelAlbum* album, int32_t index, bool notify) {
  if (!album) return;
  tagAlbumCurrentNotify current{{index, 1}};
  album->SetCurrentIndex(&current);
  tagAlbumSeleNotify select{{index, index >= 0 ? 1 : 0, 1}};
  album->SetSelect(&select);
  album->NavigateItem(0);
  if (notify) Notify(18, index, album);
}

void CCaptureView::Notify(int32_t code, int32_t index, PubQelmar::QelAlbum* album) {
  if (!m_pListener) return;
  _AlbumOptMsg message{code, index, album};
  m_pListener->Receive(kCaptureAlbumEvent, &message, this);
}

void CCaptureView::FreeRecords() {
  StopThumbThread();
  {
    std::lock_guard<std::mutex> lock(m_lock);
    for (Ready& r : m_ready) delete[] r.dib;
    m_ready.clear();
    m_walk.clear();
  }
  for (_THUMBDATA* record : m_records) delete record;
  m_records.clear();
  m_broken.clear();
}

void CCaptureView::Forget(_THUMBDATA* record) {
  m_broken.erase(record);
  m_records.erase(std::remove(m_records.begin(), m_records.end(), record), m_records.end());
  delete record;
}

uint32_t CCaptureView::DoMouseMsg(uint32_t message, intptr_t, intptr_t lParam) {
  if (message < 512 || message > 525) return 0x1000000;
  auto* album = reinterpret_cast<PubQelmar::QelElement*>(ShownAlbum());
  qel::Element* e = album ? qel::Element::From(album) : nullptr;
  if (!e || !e->EffectivelyVisible() || !e->EffectivelyEnabled()) return 0xFF000000u;
  POINT p{int32_t(int16_t(lParam & 0xFFFF)), int32_t(int16_t((lParam >> 16) & 0xFFFF))};
  SRect32 r = e->Bounds();
  if (p.x < r.left || p.y < r.top || p.x >= r.right || p.y >= r.bottom) return 1;
  if (message == 516) {
    POINT local{p.x - r.left, p.y - r.top};
    int32_t index = -1;
    ShownAlbum()->GetIndexByPoint(&index, &local);
    tagQueryAlbumSeleArg q{{index, 0}};
    if (index >= 0 && ShownAlbum()->QuerySelect(&q) >= 0 && !q.answer) {
      ResetFocus(ShownAlbum(), index, false);
    }
  } else if (message == 517) {
    if (auto* w = CQelWindow::FetchQelWindow(m_hWindow)) {
      bool handled = false;
      w->DispatchMapped(514, 0, 0, handled);
    }
    return 258;
  }
  return 2;
}

int32_t CCaptureView::DoAlbumCall(int32_t code, int32_t value, const void* data) {
  PubQelmar::QelAlbum* shown = ShownAlbum();
  int32_t selected = shown ? shown->GetSelectCount() : 0;
  switch (code) {
    case 0: return AddFile(value, static_cast<const WCHAR*>(data));
    case 1: return DeleteSelection();
    case 2: return PlaySelection();
    case 3: return ShowProperties();
    case 4: return SelectAll();
    case 5: return Refresh();
    case 6: return Navigate();
    case 7: return HandOver(true);
    case 8: return HandOver(false);
    case 9: return Reveal();
    case 10: case 11: case 13: case 14: return selected >= 1 ? 1 : 0;
    case 12: case 15: return selected == 1 ? 1 : 0;
    case 16: return SwitchAlbum();
    case 17: return ChangeFolder(static_cast<const WCHAR*>(data));
    default: return 0;
  }
}
