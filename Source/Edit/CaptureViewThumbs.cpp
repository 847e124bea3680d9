// The album's thumbnails: the walk on the thumbnail thread, the hand-over to
// the main thread and putting a thumbnail into its item.
#include <algorithm>
#include <cstring>

#include "CDBManager.h"
#include "CDIBGetThread.h"
#include "CaptureView.h"
#include "DibHelper.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "QelSizedRecords.h"
#include "qel/QelElementLayers.h"

void CCaptureView::CloseThumbThread() { CDIBGetThread::StopCurrent(); }

void CCaptureView::StartThumbThread(int32_t index) {
  // One walk at a time; a running one goes on (it covers every item).
  if (CDIBGetThread* running = CDIBGetThread::GetThread()) {
    if (!(running->GetStatus() & 2)) return;
  }
  CloseThumbThread();
  qel::Album* album = GetCurrentAlbum();
  if (!album || index < 0 || index >= album->Count()) return;
  m_walk.clear();
  for (int32_t i = 0; i < album->Count(); ++i) {
    _THUMBDATA* record = Record(album, i);
    m_walk.push_back(WalkItem{record, record ? record->type : 0});
  }
  m_nWalkStart = index;
  new CDIBGetThread(index, album, this, &CCaptureView::ThumbThread_Proc);
}

int CCaptureView::ThumbThread_Proc(int32_t index, const void* album, const void* view) {
  auto* self = const_cast<CCaptureView*>(static_cast<const CCaptureView*>(view));
  return self && album ? self->MakeThumb(index) : 0;
}

// Walks from the start index to the end and then from the first item up to
// the start, so that every item of the album is reached once.
int CCaptureView::MakeThumb(int32_t step) {
  const int32_t count = int32_t(m_walk.size());
  const int32_t walked = step - m_nWalkStart;
  if (count == 0 || walked < 0 || walked >= count) return 0;
  const int32_t index = (m_nWalkStart + walked) % count;
  _THUMBDATA* record = m_walk[size_t(index)].record;
  if (!record || m_walk[size_t(index)].type == 0) return 1;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (record->dib) return 1;
    for (const Pending& p : m_pending) {
      if (p.record == record) return 1;
    }
  }
  // The walk works on its own record: the album's stays the main thread's.
  _THUMBDATA work(m_walk[size_t(index)].type, record->path);
  work.fileTime = record->fileTime;
  int mustMake = 1;
  if (m_pDB && m_pDB->FindOneRecord(&work, &mustMake) && mustMake) m_pDB->DeleteOneRecord(&work);
  unsigned char* dib = mustMake ? nullptr : work.TakeDib();
  if (!dib) {
    const SIZE size = ThumbSize();
    if (work.type == 2) {
      CEditPanel* panel = vGetPanelHandle();
      if (panel) panel->SetOpenningVideo(1);
      dib = DibGetFromVideoFile(work.path, size.cx, size.cy);
      if (panel) panel->SetOpenningVideo(0);
    } else {
      dib = DibGetFromImageFile(work.path, size.cx, size.cy);
    }
    if (dib && m_pDB) {
      work.SetDib(dib);
      m_pDB->InsertOneRecord(&work);
      dib = work.TakeDib();
    }
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_pending.push_back(Pending{record, dib});
  }
  Notify(kAlbumNotifyThumbReady, index);
  return 1;
}

void CCaptureView::TakePending() {
  std::vector<Pending> results;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    results.swap(m_pending);
  }
  for (Pending& p : results) {
    if (p.dib) {
      std::lock_guard<std::mutex> hold(m_lock);
      p.record->SetDib(p.dib);
    } else {
      // Kept with a placeholder: a file is never dropped for its thumbnail.
      m_broken.insert(p.record);
    }
  }
}

int32_t CCaptureView::DoShowThumbDIB(int32_t index) {
  TakePending();
  qel::Album* album = GetCurrentAlbum();
  if (!album) return 0;
  int32_t placed = 0;
  // The index names the item in the walk's list; the album may have moved
  // it since (a file added at the head), so every shown item is looked at.
  for (int32_t i = 0; i < album->Count(); ++i) {
    if (!album->IsDisplayed(i) || !album->ItemPanel(i)) continue;
    _THUMBDATA* record = Record(album, i);
    if (!record || (!record->dib && !IsBroken(record))) continue;
    PlaceThumb(album, i);
    if (i == index) placed = 1;
  }
  return placed;
}

void CCaptureView::PlaceThumb(qel::Album* album, int32_t index) {
  _THUMBDATA* record = Record(album, index);
  qel::Element* item = album ? album->ItemPanel(index) : nullptr;
  if (!record || !item) return;
  const bool movie = record->type == 2;
  for (const char* name : {"cata_FilmTop", "cata_FilmBottom"}) {
    if (qel::Element* film = item->FindByName(name, true)) film->Show(movie);
  }
  qel::Element* normal = qel::NamesEqual(item->Name(), "Normal1") ? item : item->FindByName("Normal1", true);
  if (normal) {
    const WCHAR* name = record->path;
    for (const WCHAR* p = record->path; *p; ++p) {
      if (*p == u'/') name = p + 1;
    }
    normal->SetTips(name);
  }
  qel::Element* view = item->FindByName("view_ThumbImage", true);
  if (!view) return;
  // Placing is done from the template's frame, so doing it again is harmless.
  view->SetMargin(m_thumbMargin);
  view->SetFrameSize(m_thumbSize);
  if (qel::Element* missing = item->FindByName("view_ThumbMissing", true)) missing->Show(!record->dib);
  if (!record->dib) return;
  const auto* header = reinterpret_cast<const tagBITMAPINFOHEADER*>(record->dib);
  const int32_t width = header->biWidth, height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  const SIZE box = m_thumbSize;
  if (width <= 0 || height <= 0 || box.cx <= 0 || box.cy <= 0) return;
  // Fitted into the view with its aspect kept, centred by the margins.
  SIZE fit;
  if (int64_t(box.cy) * width >= int64_t(box.cx) * height) {
    fit = SIZE{box.cx, std::max<int32_t>(1, int32_t(int64_t(box.cx) * height / width))};
  } else {
    fit = SIZE{std::max<int32_t>(1, int32_t(int64_t(box.cy) * width / height)), box.cy};
  }
  SRect32 margin = m_thumbMargin;
  margin.left += (box.cx - fit.cx) / 2;
  margin.top += (box.cy - fit.cy) / 2;
  view->SetMargin(margin);
  view->SetFrameSize(fit);
  unsigned char* shown = record->dib;
  unsigned char* resampled = nullptr;
  if (fit.cx != width || fit.cy != height) {
    resampled = DibResample(record->dib, fit.cx, fit.cy);
    if (resampled) shown = resampled;
  }
  const auto* h = reinterpret_cast<const tagBITMAPINFOHEADER*>(shown);
  const int32_t rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  const int32_t stride = int32_t(DIBStride(h->biWidth, 24));
  const unsigned char* bits = shown + sizeof(tagBITMAPINFOHEADER);
  QelLayerPixels pixels{};
  pixels.cbSize = sizeof pixels;
  pixels.width = h->biWidth;
  pixels.height = rows;
  pixels.bitCount = 24;
  // Bottom-up rows: the first row given is the last one in memory.
  pixels.rowBytes = h->biHeight > 0 ? -stride : stride;
  pixels.bits = h->biHeight > 0 ? bits + size_t(stride) * size_t(rows - 1) : bits;
  if (qel::ElementLayers* layers = view->Layers(true)) layers->Layer()->SetPixels(pixels);
  DIBDelete(resampled);
}
