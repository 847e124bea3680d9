// The picture queue around the current file, the preview reader and the
// full-resolution reader, and how their results reach the window's thread.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "App.h"
#include "BaseWndShared.h"
#include "GlobalFun.h"
#include "ThumbPool.h"
#include "qel/QelMessage.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

using vistrel::CSLock;
using vistrel::Shared;

namespace vistrel {

ReaderState::ReaderState() {
  QelInitCriticalSection(&csImgData);
  QelInitCriticalSection(&csCurPath);
  QelInitCriticalSection(&csPause);
}

ReaderState::~ReaderState() {
  // The readers were stopped when the window closed; what remains is given back.
  for (tagIMGFILEDATA& e : queue) ReleasePicture(e.objPict);
  ReleasePicture(orgImgPict);
  QelDeleteCriticalSection(&csPause);
  QelDeleteCriticalSection(&csCurPath);
  QelDeleteCriticalSection(&csImgData);
}

ReaderState& Shared() {
  static ReaderState state;
  return state;
}

}  // namespace vistrel

namespace {

constexpr auto kHandOverPoll = std::chrono::milliseconds(50);
// A file that keeps changing (or a window that keeps resizing) is read at
// most this often in a row.
constexpr int kMaxReadAttempts = 3;

bool IsReducibleFormat(const std::u16string& path) {
  const WCHAR* ext = QelPathFindExtension(path.c_str());
  return qel_wcscmpi(ext, u".jpg") == 0 || qel_wcscmpi(ext, u".jpeg") == 0 || qel_wcscmpi(ext, u".jpe") == 0;
}

int ReductionOf(enuDeflateLevel level) {
  switch (level) {
    case PPIC_HALF:
      return 2;
    case PPIC_QUARTER:
      return 4;
    case PPIC_EIGHTH:
      return 8;
    default:
      return 1;
  }
}

tagIMGFILEDATA WithoutPicture(const tagIMGFILEDATA& e) {
  tagIMGFILEDATA copy = e;
  copy.objPict = nullptr;
  return copy;
}

}  // namespace

// ---- files ----

FileIdentity CBaseWnd::GetFileInfo(const std::u16string& path) {
  FileIdentity id;
  if (path.empty()) return id;
  struct statx st {};
  std::string utf8 = QelToUTF8(path);
  if (statx(AT_FDCWD, utf8.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return id;
  id.exists = true;
  id.device = (uint64_t(st.stx_dev_major) << 32) | st.stx_dev_minor;
  id.inode = st.stx_ino;
  id.size = st.stx_size;
  id.modified_ns = int64_t(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
  if (st.stx_mask & STATX_BTIME) id.born_ns = int64_t(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
  return id;
}

bool CBaseWnd::IsSameFile(const tagIMGFILEDATA& a, const tagIMGFILEDATA& b) {
  // Paths are compared exactly: the file system tells letter case apart.
  if (a.szFile != b.szFile) return false;
  const FileIdentity& x = a.fsCatalogInfo;
  const FileIdentity& y = b.fsCatalogInfo;
  return x.exists == y.exists && x.device == y.device && x.inode == y.inode && x.size == y.size &&
         x.modified_ns == y.modified_ns && x.born_ns == y.born_ns;
}

bool CBaseWnd::IsDesiredThumbFitSize(const tagIMGFILEDATA& data) {
  if (!data.objPict || data.sizeOrgImg.cx <= 0 || data.sizeOrgImg.cy <= 0) return false;
  if (data.bOrgImg) return true;
  SIZE area = data.sizeCurImgCtrl;
  if (area.cx <= 0 || area.cy <= 0) return true;
  SIZE pict = PictureSize(data.objPict);
  return pict.cx >= area.cx || pict.cy >= area.cy;
}

PubImage::QelPicture* CBaseWnd::OpenImgForPreview(const std::u16string& path, tagIMGFILEDATA& data,
                                                  ImgAbortProc fAbort, void* pExtra) {
  data.bOrgImg = false;
  int32_t w = 0, h = 0;
  CGlobalFun::GetImageSize(path.c_str(), w, h);
  data.sizeOrgImg = data.sizeCurThumb = SIZE{w, h};
  if (w == 0 || h == 0) {
    data.bOrgImg = true;
    return nullptr;
  }
  CPictureReader* reader = GetPictureReader();
  if (IsReducibleFormat(path)) {
    enuDeflateLevel level = GetDeflateLevel(data.sizeOrgImg, data.sizeCurImgCtrl);
    data.bOrgImg = level == PPIC_ORIGINAL;
    return reader->Open(path, ReductionOf(level), fAbort, pExtra, nullptr);
  }
  data.bOrgImg = true;
  return reader->Open(path, 1, fAbort, pExtra, nullptr);
}

// ---- the queue ----

void CBaseWnd::InitOrgFileList() {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  if (!s.queue.empty()) return;
  s.queue.resize(size_t(m_nOrgPictNum_Total));
  s.orderNext = geom::ReadOrderNext(m_nOrgPictNum);
  s.orderPrevious = geom::ReadOrderPrevious(m_nOrgPictNum);
}

std::vector<tagIMGFILEDATA> CBaseWnd::QueueSnapshot() {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  return s.queue;
}

PubImage::QelPicture* CBaseWnd::FullResolutionPicture() {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csCurPath);
  return s.orgImgPict;
}

bool CBaseWnd::CanKeepCurrentThumb() { return !m_bImageModified && m_nRotateDegree == 0; }

void CBaseWnd::DoNext() {
  int size = static_cast<int>(Files()->size());
  if (size == 0) return;
  bool keep = CanKeepCurrentThumb();
  m_nCurIndex = m_nCurIndex + 1 >= size ? 0 : m_nCurIndex + 1;
  m_bAbortReadThumb = true;
  m_bAbortReadOrgImg = true;
  m_bPreReadNextFirst = true;
  AdjustDataQueue(ADQ_Next, keep);
  DisplayCurImage(1);
}

void CBaseWnd::DoPrevious() {
  int size = static_cast<int>(Files()->size());
  if (size == 0) return;
  bool keep = CanKeepCurrentThumb();
  m_nCurIndex = m_nCurIndex - 1 < 0 ? size - 1 : m_nCurIndex - 1;
  m_bAbortReadThumb = true;
  m_bAbortReadOrgImg = true;
  m_bPreReadNextFirst = false;
  AdjustDataQueue(ADQ_Previous, keep);
  DisplayCurImage(1);
}

void CBaseWnd::AdjustDataQueue(AdjustDataQueueAction Action, int bKeepCurThumb) {
  AdjustTask_Thumb(Action);
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  std::vector<tagIMGFILEDATA>& q = s.queue;
  if (q.empty()) return;
  const size_t last = q.size() - 1;
  const size_t centre = size_t(vistrel::QueueCentre());
  if (!bKeepCurThumb) {
    ReleasePicture(q[centre].objPict);
    q[centre] = tagIMGFILEDATA();
  }
  switch (Action) {
    case ADQ_Next:
      ReleasePicture(q[0].objPict);
      std::move(q.begin() + 1, q.end(), q.begin());
      q[last] = tagIMGFILEDATA();
      break;
    case ADQ_Previous:
      ReleasePicture(q[last].objPict);
      std::move_backward(q.begin(), q.end() - 1, q.end());
      q[0] = tagIMGFILEDATA();
      break;
    case ADQ_Delete:
      ReleasePicture(q[centre].objPict);
      std::move(q.begin() + long(centre) + 1, q.end(), q.begin() + long(centre));
      q[last] = tagIMGFILEDATA();
      break;
  }
  // An entry that moved is no longer the one a reader marked; each pass of
  // the preview reader marks the entries it works on afresh.
  for (tagIMGFILEDATA& e : q) e.bReading = false;
}

void CBaseWnd::AdjustTask_Thumb(AdjustDataQueueAction Action) {
  FileList& list = *Files();
  const int size = static_cast<int>(list.size());
  if (!m_pThumbPool || size <= m_nThumbnailNum_Total) return;
  // The window of thumbnails is the current picture (already moved) and
  // m_nThumbnailNum pictures on each side.
  const int m = m_nThumbnailNum;
  auto at = [&](int i) { return list[size_t(geom::TransIndex(i, size))]->szFilePath; };
  std::u16string drop, add;
  switch (Action) {
    case ADQ_Next:
      drop = at(m_nCurIndex - m - 1);
      add = at(m_nCurIndex + m);
      break;
    case ADQ_Previous:
      drop = at(m_nCurIndex + m + 1);
      add = at(m_nCurIndex - m);
      break;
    case ADQ_Delete:
      drop = GetCurPath();
      add = at(m_nCurIndex + m);
      break;
  }
  m_pThumbPool->RemoveTask(drop.c_str());
  m_pThumbPool->RemoveCache(drop.c_str());
  if (!m_pThumbPool->IsThumbInCache(add.c_str())) m_pThumbPool->AddTask(add.c_str(), TF_160X160, 0);
}

void CBaseWnd::SetReadFileList(int nCurIndex) {
  FileList& list = *Files();
  const int size = static_cast<int>(list.size());
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  if (size == 0 || s.queue.empty()) return;
  const std::vector<int>& order = m_bPreReadNextFirst ? s.orderNext : s.orderPrevious;
  const int n = vistrel::QueueCentre();
  for (int slot : order) {
    tagIMGFILEDATA& e = s.queue[size_t(slot)];
    if (!e.szFile.empty()) continue;
    const tag_FILE_INFO* info = list[size_t(geom::TransIndex(slot + nCurIndex - n, size))];
    e.szFile = info->szFilePath;
    e.bRawFile = info->nFileType == 0;
  }
}

void CBaseWnd::ClearDataQueue() {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  for (tagIMGFILEDATA& e : s.queue) {
    ReleasePicture(e.objPict);
    e = tagIMGFILEDATA();
  }
}

void CBaseWnd::AbortReadThreadAndClear() {
  m_bAbortReadThumb = true;
  m_bAbortReadOrgImg = true;
  ClearDataQueue();
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csCurPath);
  ReleasePicture(s.orgImgPict);
}

void CBaseWnd::RestartPreReadIfNecessary() {
  PublishPreviewAreaSize();
  bool cleared = false;
  {
    vistrel::ReaderState& s = Shared();
    CSLock lock(&s.csImgData);
    for (size_t k = 0; k < s.queue.size(); ++k) {
      tagIMGFILEDATA& e = s.queue[k];
      if (int(k) == vistrel::QueueCentre() || !e.objPict) continue;
      tagIMGFILEDATA now = e;
      now.sizeCurImgCtrl = s.previewArea;
      if (IsDesiredThumbFitSize(now)) continue;
      ReleasePicture(e.objPict);
      e.bOrgImg = false;
      e.sizeOrgImg = SIZE{0, 0};
      cleared = true;
    }
  }
  if (cleared) StartReadThumbThread();
}

// ---- hand-over to the window's thread ----

bool CBaseWnd::DoSendMessage(uint32_t uMsg, const std::atomic<bool>& stop) {
  CBaseWnd* target = m_pThis.load();
  if (!target || !target->m_hWnd) return false;
  vistrel::ReaderState& s = Shared();
  auto handOver = std::make_shared<vistrel::HandOver>();
  intptr_t token;
  {
    std::lock_guard<std::mutex> lock(s.handOverLock);
    token = ++s.nextToken;
    s.handOvers[token] = handOver;
  }
  bool posted = PostMessage(target->m_hWnd, uMsg, 0, token) != 0;
  if (posted) {
    // The window releases the token when it has taken the result; a reader
    // told to stop does not wait for a window that may be gone.
    while (!handOver->done.try_acquire_for(kHandOverPoll)) {
      if (stop) break;
    }
  }
  std::lock_guard<std::mutex> lock(s.handOverLock);
  s.handOvers.erase(token);
  return posted;
}

void CBaseWnd::ReleaseSendMessageMutex(intptr_t token) {
  if (!token) return;
  vistrel::ReaderState& s = Shared();
  std::lock_guard<std::mutex> lock(s.handOverLock);
  auto it = s.handOvers.find(token);
  if (it == s.handOvers.end()) return;
  it->second->done.release();
  s.handOvers.erase(it);
}

size_t CBaseWnd::PendingHandOvers() {
  vistrel::ReaderState& s = Shared();
  std::lock_guard<std::mutex> lock(s.handOverLock);
  return s.handOvers.size();
}

void CBaseWnd::ReleaseAllHandOvers() {
  vistrel::ReaderState& s = Shared();
  std::lock_guard<std::mutex> lock(s.handOverLock);
  for (auto& [token, handOver] : s.handOvers) handOver->done.release();
  s.handOvers.clear();
}

// ---- the preview reader ----

bool CBaseWnd::StartReadThumbThread() {
  m_pThis = this;
  PublishPreviewAreaSize();
  vistrel::ReaderState& s = Shared();
  if (!s.readThumbEvent) s.readThumbEvent = QelCreateEvent(0, 0);
  if (!s.readThumbEvent) return false;
  if (!s.readThumbThread) {
    s.stopReadThumb = false;
    s.readThumbThread = QelCreateThread(&CBaseWnd::ReadThumbThreadFunc, nullptr, QEL_THREAD_START_NOW, 0);
    if (!s.readThumbThread) return false;
  }
  QelSetEvent(s.readThumbEvent);
  return true;
}

uint32_t CBaseWnd::ReadThumbThreadFunc(void*) {
  vistrel::ReaderState& s = Shared();
  s.readThumbExited = false;
  for (;;) {
    if (QelWaitEvent(s.readThumbEvent, -1) != QEL_WAIT_OBJECT_0 && !s.stopReadThumb) continue;
    if (s.stopReadThumb) break;
    m_bAbortReadThumb = false;
    std::vector<int> order;
    {
      CSLock lock(&s.csImgData);
      order = m_bPreReadNextFirst ? s.orderNext : s.orderPrevious;
    }
    const int centre = vistrel::QueueCentre();
    for (int slot : order) {
      if (s.stopReadThumb) break;
      QelEnterCriticalSection(&s.csPause);
      bool read = false;
      {
        CSLock lock(&s.csImgData);
        tagIMGFILEDATA& e = s.queue[size_t(slot)];
        if (e.szFile.empty()) {
          QelLeaveCriticalSection(&s.csPause);
          continue;
        }
        tagIMGFILEDATA present = WithoutPicture(e);
        present.fsCatalogInfo = GetFileInfo(e.szFile);
        if (!e.objPict || !IsSameFile(e, present)) {
          read = true;
        } else if (!IsDesiredThumbFitSize(e)) {
          // The full-resolution reader serves the current picture.
          read = !(slot == centre && !e.bRawFile);
        }
        e.bReading = true;
      }
      if (read && !m_bAbortReadThumb) {
        for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
          tagIMGFILEDATA copy;
          {
            CSLock lock(&s.csImgData);
            copy = WithoutPicture(s.queue[size_t(slot)]);
            copy.sizeCurImgCtrl = s.previewArea;
          }
          copy.fsCatalogInfo = GetFileInfo(copy.szFile);
          PubImage::QelPicture* pict = OpenImgForPreview(copy.szFile, copy, &CBaseWnd::ReadThumbAbortFunc, nullptr);
          if (m_bAbortReadThumb) {
            ReleasePicture(pict);
            break;
          }
          copy.objPict = pict;
          CSLock lock(&s.csImgData);
          tagIMGFILEDATA& e = s.queue[size_t(slot)];
          tagIMGFILEDATA present = WithoutPicture(e);
          present.fsCatalogInfo = GetFileInfo(e.szFile);
          if (IsSameFile(copy, present) && (!pict || IsDesiredThumbFitSize(copy))) {
            ReleasePicture(e.objPict);
            copy.bReading = e.bReading;
            e = copy;
            break;
          }
          ReleasePicture(pict);
          if (e.szFile.empty() || !present.fsCatalogInfo.exists) break;
        }
      }
      QelLeaveCriticalSection(&s.csPause);
      {
        CSLock lock(&s.csImgData);
        s.queue[size_t(slot)].bReading = false;
      }
      if (!m_bAbortReadThumb && slot == centre && read) DoSendMessage(WM_FINISH_READ_THUMB, s.stopReadThumb);
    }
  }
  s.readThumbExited = true;
  return 0;
}

bool CBaseWnd::StopReadThumbThread() {
  vistrel::ReaderState& s = Shared();
  if (!s.readThumbThread) return true;
  m_bAbortReadThumb = true;
  s.stopReadThumb = true;
  QelSetEvent(s.readThumbEvent);
  ReleaseAllHandOvers();
  // Every wait of the reader ends on the stop flag, and decoding stops on
  // the abort flag, so the join is short.
  QelWaitThread(s.readThumbThread, -1);
  QelCloseThreadRef(s.readThumbThread);
  s.readThumbThread = nullptr;
  QelCloseEvent(s.readThumbEvent);
  s.readThumbEvent = nullptr;
  s.stopReadThumb = false;
  return true;
}

// ---- the full-resolution reader ----

bool CBaseWnd::StartReadOrgImgThread() {
  m_pThis = this;
  vistrel::ReaderState& s = Shared();
  if (!s.readOrgEvent) s.readOrgEvent = QelCreateEvent(0, 0);
  if (!s.readOrgEvent) return false;
  if (!s.readOrgThread) {
    s.stopReadOrg = false;
    s.readOrgThread = QelCreateThread(&CBaseWnd::ReadOrgImgThreadFunc, nullptr, QEL_THREAD_START_NOW, 0);
    if (!s.readOrgThread) return false;
  }
  QelSetEvent(s.readOrgEvent);
  return true;
}

uint32_t CBaseWnd::ReadOrgImgThreadFunc(void*) {
  vistrel::ReaderState& s = Shared();
  for (;;) {
    if (QelWaitEvent(s.readOrgEvent, -1) != QEL_WAIT_OBJECT_0 && !s.stopReadOrg) continue;
    if (s.stopReadOrg) break;
    m_bAbortReadOrgImg = false;
    bool have;
    {
      CSLock lock(&s.csCurPath);
      have = s.orgImgPict != nullptr;
    }
    if (!have) {
      s.readingOrgImg = true;
      for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
        tagIMGFILEDATA copy;
        {
          CSLock lock(&s.csCurPath);
          CBaseWnd* view = m_pThis.load();
          copy.szFile = view ? view->m_szCurPath : std::u16string();
        }
        if (copy.szFile.empty()) break;
        copy.fsCatalogInfo = GetFileInfo(copy.szFile);
        PubImage::QelPicture* pict =
            GetPictureReader()->Open(copy.szFile, 1, &CBaseWnd::ReadOrgImgAbortFunc, nullptr, nullptr);
        if (m_bAbortReadOrgImg) {
          ReleasePicture(pict);
          break;
        }
        CSLock lock(&s.csCurPath);
        CBaseWnd* view = m_pThis.load();
        tagIMGFILEDATA present;
        present.szFile = view ? view->m_szCurPath : std::u16string();
        present.fsCatalogInfo = GetFileInfo(present.szFile);
        if (IsSameFile(copy, present)) {
          ReleasePicture(s.orgImgPict);
          s.orgImgPict = pict;
          break;
        }
        ReleasePicture(pict);
        if (present.szFile.empty() || !present.fsCatalogInfo.exists) break;
      }
      s.readingOrgImg = false;
    }
    if (m_bAbortReadOrgImg) continue;
    {
      CSLock lock(&s.csCurPath);
      have = s.orgImgPict != nullptr;
    }
    if (have) DoSendMessage(WM_FINISH_READ_ORGIMG, s.stopReadOrg);
  }
  return 0;
}

bool CBaseWnd::StopReadOrgImgThread() {
  vistrel::ReaderState& s = Shared();
  if (!s.readOrgThread) return true;
  m_bAbortReadOrgImg = true;
  s.stopReadOrg = true;
  QelSetEvent(s.readOrgEvent);
  ReleaseAllHandOvers();
  QelWaitThread(s.readOrgThread, -1);
  QelCloseThreadRef(s.readOrgThread);
  s.readOrgThread = nullptr;
  QelCloseEvent(s.readOrgEvent);
  s.readOrgEvent = nullptr;
  s.stopReadOrg = false;
  return true;
}

void CBaseWnd::StopAllReadThread() {
  PauseReadOrgImage(0);
  StopReadThumbThread();
  ClearDataQueue();
  StopReadOrgImgThread();
}

void CBaseWnd::PauseReadOrgImage(int bPause) {
  vistrel::ReaderState& s = Shared();
  if (bPause && !s.paused) QelEnterCriticalSection(&s.csPause);
  if (!bPause && s.paused) QelLeaveCriticalSection(&s.csPause);
  s.paused = bPause != 0;
}

bool CBaseWnd::NeedReadOrgImg(int /*bNeed*/) {
  vistrel::ReaderState& s = Shared();
  if (s.readingOrgImg || !m_objPict) return false;
  {
    CSLock lock(&s.csCurPath);
    if (s.orgImgPict) return false;
  }
  if (m_bFitIn) {
    CSLock lock(&s.csImgData);
    if (s.queue.empty()) return false;
    const tagIMGFILEDATA& centre = s.queue[size_t(vistrel::QueueCentre())];
    if (!centre.objPict) return false;
    tagIMGFILEDATA now = WithoutPicture(centre);
    now.objPict = centre.objPict;
    now.sizeCurImgCtrl = s.previewArea;
    return !IsDesiredThumbFitSize(now);
  }
  int32_t num = 1, den = 1;
  if (m_objImgcFix) m_objImgcFix->GetZoom(&num, &den);
  return num > den;
}

void CBaseWnd::OnFinishReadOrgImg(intptr_t token) {
  PubImage::QelPicture* full = nullptr;
  {
    vistrel::ReaderState& s = Shared();
    CSLock lock(&s.csCurPath);
    full = s.orgImgPict;
    RetainPicture(full);
  }
  if (full && full != m_objPict) {
    POINT origin{0, 0};
    if (m_objImgcFix) m_objImgcFix->GetPictOrg(&origin);
    AttachPicture(full);
    RedoActionsToOrgImg(origin);
  }
  ReleasePicture(full);
  if (m_objPict && m_bSupportRotateEffect) UpdateResampleLayer();
  ReleaseSendMessageMutex(token);
}
