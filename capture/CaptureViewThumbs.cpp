// Thumbnails of the capture album: the album's events, the thumbnail
// worker and the hand-over of its bitmaps to the main thread.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "AlbumRecords.h"
#include "CDIBGetThread.h"
#include "CaptureView.h"
#include "DibHelper.h"
#include "ORVGF.h"
#include "qel/QelElementLayers.h"
#include "qel/QelMessage.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

// How far ahead of a running worker a newly shown item may lie before the
// worker is sent there instead (items it will reach soon anyway).
constexpr int32_t kWorkerLead = 48;

// The worker's position in its walk, for the main thread's decision above.
std::atomic<int32_t> g_workerAt{-1};

int32_t DibWidth(const unsigned char* dib) {
  int32_t v;
  std::memcpy(&v, dib + 4, 4);
  return v;
}
int32_t DibHeight(const unsigned char* dib) {
  int32_t v;
  std::memcpy(&v, dib + 8, 4);
  return v < 0 ? -v : v;
}

}  // namespace

int32_t CCaptureView::OnAlbumEvent(QelObject element, int32_t event, QELLPARAM param, void* data) {
  auto* view = static_cast<CCaptureView*>(data);
  const auto* n = reinterpret_cast<const QelAlbumItemNotify*>(param);
  if (!view || !n) return 0;
  auto* album = static_cast<PubQelmar::QelAlbum*>(element);
  switch (event) {
    case qel::kAlbumItemShown:
      if (n->flag) view->OnItemShown(album, n->index);
      break;
    case qel::kAlbumSelectChanged:
      if (view->m_bInserting || view->m_bDeleting) break;
      view->RefreshMarks(album, n->index);
      if (n->flag && n->index >= 0) {
        tagAlbumCurrentNotify current{{n->index, 1}};
        album->SetCurrentIndex(&current);
      }
      view->Notify(19, n->index, album);
      break;
    case qel::kAlbumCurrentChanged:
      if (view->m_bInserting || view->m_bDeleting) break;
      view->RefreshMarks(album, n->index);
      view->Notify(20, n->index, album);
      break;
    case qel::kAlbumDoubleClick:
      if (album->GetItemDataByIndex(n->index)) view->PlaySelection();
      break;
    default:
      break;
  }
  return 0;
}

bool CCaptureView::HasDib(_THUMBDATA* record) {
  std::lock_guard<std::mutex> lock(m_lock);
  return record->dib != nullptr;
}

void CCaptureView::OnItemShown(PubQelmar::QelAlbum* album, int32_t index) {
  auto* record = static_cast<_THUMBDATA*>(album->GetItemDataByIndex(index));
  if (!record) return;
  if (record->type == 0 || !QelPathFileExists(record->path)) {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      record->type = 0;
    }
    PostMessage(m_hWindow, kAlbumMessage, 0, index);
  } else if (HasDib(record) || IsBroken(record)) {
    PutThumbnail(album->GetItemByIndex(index), record);
  } else if (album == ShownAlbum()) {
    StartThumbThread(index);
  }
  RefreshMarks(album, index);
}

void CCaptureView::RefreshMarks(PubQelmar::QelAlbum* album, int32_t index) {
  if (!album) return;
  int32_t from = index, to = index;
  if (index < 0) {  // every item changed: the displayed ones show it
    POINT first{-1, -1}, last{-1, -1};
    album->GetDisplayMinCR(&first);
    album->GetDisplayMaxCR(&last);
    album->GetIndexByCR(&from, &first);
    album->GetIndexByCR(&to, &last);
    if (to < 0) to = album->GetNumOfItem() - 1;
  }
  for (int32_t i = std::max(from, 0); i <= to; ++i) {
    auto* item = album->GetItemByIndex(i);
    if (!item) continue;
    auto* panel = reinterpret_cast<PubQelmar::QelPanel*>(item);
    tagQueryAlbumSeleArg q{{i, 0}};
    album->QuerySelect(&q);
    bool current = album->IsCurrent(i) != 0;
    if (auto* mark = panel->GetElementByName("Select", 1)) mark->Show(q.answer ? 1 : 0);
    if (auto* mark = panel->GetElementByName("Focus", 1)) mark->Show(current && !q.answer ? 1 : 0);
  }
}

void CCaptureView::PutThumbnail(PubQelmar::QelElement* item, _THUMBDATA* record) {
  if (!item || !record) return;
  auto* panel = reinterpret_cast<PubQelmar::QelPanel*>(item);
  PubQelmar::QelElement* image = panel->GetElementByName("view_ThumbImage", 1);
  const unsigned char* dib = record->dib;
  if (auto* missing = panel->GetElementByName("view_ThumbMissing", 1)) missing->Show(dib == nullptr);
  if (image) image->Show(dib != nullptr);
  int32_t bw = dib ? DibWidth(dib) : 0, bh = dib ? DibHeight(dib) : 0;
  if (image && bw > 0 && bh > 0 && m_area.cx > 0 && m_area.cy > 0) {
    // Fitted into the template's area, keeping the proportions, centred.
    int32_t w = m_area.cx, h = m_area.cy;
    if (int64_t(m_area.cy) * bw >= int64_t(m_area.cx) * bh) {
      h = int32_t(int64_t(m_area.cx) * bh / bw);
    } else {
      w = int32_t(int64_t(m_area.cy) * bw / bh);
    }
    SRect32 margin = m_areaMargin;
    margin.left += (m_area.cx - w) / 2;
    margin.top += (m_area.cy - h) / 2;
    reinterpret_cast<PubQelmar::QelMargin*>(image)->SetMargin(&margin);
    SIZE size{w, h};
    image->SetSFSSize(&size);
    // Bottom-up rows: the last row first, stepping back one padded row.
    int32_t stride = int32_t(DIBStride(bw, 24));
    QelLayerPixels pixels{sizeof(QelLayerPixels), 0, bw, bh, -stride, 24, dib + 40 + size_t(stride) * (bh - 1)};
    QelLayerProperty property{sizeof(QelLayerProperty), qel::kLayerBitmap, 0, &pixels};
    if (PubQelmar::QelLayerSet* set = image->GetLayersetByIndex(0)) {
      if (PubQelmar::QelLayer* layer = set->GetLayer(0)) {
        layer->SetLayerProperty(reinterpret_cast<_LayerPropertyInfo*>(&property));
      }
    }
  }
  bool movie = record->type == 2;
  if (auto* strip = panel->GetElementByName("cata_FilmTop", 1)) strip->Show(movie);
  if (auto* strip = panel->GetElementByName("cata_FilmBottom", 1)) strip->Show(movie);
  if (auto* name = panel->GetElementByName("Normal1", 1)) name->SetTips(QelPathFindFileName(record->path));
  item->AutoLayout();
}

// ---- the worker ----

void CCaptureView::StartThumbThread(int32_t index) {
  CDIBGetThread* running = CDIBGetThread::GetThread();
  if (running && !(running->GetStatus() & 2)) {
    int32_t at = g_workerAt.load();
    if (at >= 0 && index >= at && index <= at + kWorkerLead) return;  // it gets there soon
  }
  StopThumbThread();
  PubQelmar::QelAlbum* shown = ShownAlbum();
  if (!shown) return;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_walk.clear();
    int32_t n = shown->GetNumOfItem();
    m_walk.reserve(size_t(std::max(n, 0)));
    for (int32_t i = 0; i < n; ++i) m_walk.push_back(static_cast<_THUMBDATA*>(shown->GetItemDataByIndex(i)));
    m_walkDone.assign(m_walk.size(), 0);
    // Files no thumbnail could be made of are not tried on every scroll.
    for (size_t i = 0; i < m_walk.size(); ++i) m_walkDone[i] = IsBroken(m_walk[i]) ? 1 : 0;
  }
  g_workerAt = index;
  new CDIBGetThread(index, this, nullptr, &CCaptureView::ThumbCallback);  // owned as the current thread
}

void CCaptureView::StopThumbThread() {
  CDIBGetThread::StopCurrent();
  g_workerAt = -1;
}

int CCaptureView::ThumbCallback(int32_t index, const void* view, const void*) {
  return static_cast<CCaptureView*>(const_cast<void*>(view))->MakeOne(index);
}

unsigned char* CCaptureView::MakeThumbnail(int32_t type, const WCHAR* path) const {
  if (type == 1) return DibGetFromImageFile(path, m_thumb.cx, m_thumb.cy);
  if (type == 2) return DibGetFromVideoFile(path, m_thumb.cx, m_thumb.cy);  // its first frame
  return nullptr;
}

int CCaptureView::MakeOne(int32_t index) {
  // A batch: the item asked for and the next ones still without a thumbnail,
  // made side by side on the machine's cores, each handed over when done.
  std::vector<std::pair<int32_t, _THUMBDATA*>> batch;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || size_t(index) >= m_walk.size()) return 0;
    g_workerAt = index;
    for (size_t i = size_t(index); i < m_walk.size() && batch.size() < m_batch; ++i) {
      _THUMBDATA* r = m_walk[i];
      if (m_walkDone[i] || !r || r->dib || r->type == 0) continue;
      m_walkDone[i] = 1;
      batch.emplace_back(int32_t(i), r);
    }
  }
  std::vector<std::thread> helpers;
  for (size_t k = 1; k < batch.size(); ++k) {
    helpers.emplace_back([this, item = batch[k]] { MakeFor(item.first, item.second); });
  }
  if (!batch.empty()) MakeFor(batch[0].first, batch[0].second);
  for (std::thread& t : helpers) t.join();
  return 1;
}

void CCaptureView::MakeFor(int32_t index, _THUMBDATA* record) {
  // The path, time and type never change while the worker runs; the bitmap
  // is built here and handed over whole.
  _THUMBDATA probe(record->type, record->path);
  probe.fileTime = record->fileTime;
  int mustMake = 1;
  bool found = m_pDB && m_pDB->FindOneRecord(&probe, &mustMake);
  unsigned char* dib = nullptr;
  if (found && !mustMake) {
    dib = probe.TakeDib();
  } else {
    if (found) m_pDB->DeleteOneRecord(&probe);
    probe.SetDib(MakeThumbnail(probe.type, record->path));
    if (probe.dib && m_pDB && !m_pDB->InsertOneRecord(&probe)) {
      std::fprintf(stderr, "capture album: thumbnail not stored for %s\n", QelToUTF8(record->path).c_str());
    }
    dib = probe.TakeDib();
  }
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_ready.push_back(Ready{record, dib});
  }
  PostMessage(m_hWindow, kAlbumMessage, 1, index);
}

// ---- the main thread's side ----

intptr_t CCaptureView::OnMessage(intptr_t wParam, intptr_t) {
  switch (wParam) {
    case 0:
      CleanBroken();
      break;
    case 1:
      TakeReady();
      break;
    case 2:
      if (PubQelmar::QelAlbum* shown = ShownAlbum()) Qel0SetGValue(2, reinterpret_cast<intptr_t>(shown));
      break;
  }
  return 0;
}

void CCaptureView::TakeReady() {
  std::vector<Ready> ready;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    ready.swap(m_ready);
    for (Ready& r : ready) {
      if (r.dib) r.record->SetDib(r.dib);
    }
  }
  for (Ready& r : ready) {
    // Kept with a placeholder: a file never leaves the album for its thumbnail.
    if (!r.dib) m_broken.insert(r.record);
    // Wherever the record is displayed now.
    for (PubQelmar::QelAlbum* album : m_pAlbums) {
      if (!album) continue;
      POINT first{-1, -1}, last{-1, -1};
      album->GetDisplayMinCR(&first);
      album->GetDisplayMaxCR(&last);
      int32_t from = -1, to = -1;
      album->GetIndexByCR(&from, &first);
      album->GetIndexByCR(&to, &last);
      if (to < 0) to = album->GetNumOfItem() - 1;
      for (int32_t i = std::max(from, 0); i <= to; ++i) {
        if (album->GetItemDataByIndex(i) == r.record) PutThumbnail(album->GetItemByIndex(i), r.record);
      }
    }
  }
}

void CCaptureView::CleanBroken() {
  StopThumbThread();
  TakeReady();
  RemoveBroken();
  if (PubQelmar::QelAlbum* shown = ShownAlbum()) {
    int32_t current = shown->QueryCurrent();
    if (current >= shown->GetNumOfItem()) current = shown->GetNumOfItem() - 1;
    ResetFocus(shown, current, true);
  }
}
