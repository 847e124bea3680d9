#include "ThumbPool.h"

#include <algorithm>

#include "ImageGeometry.h"
#include "VdlCriticalSection.h"
#include "VistrelProfile.h"

// Holds one of the pool's critical sections for a block.
using CSLock = Vardel::CQelCriticalSection;

std::atomic<bool> CThumbPool::m_bAbortReadThumb{false};
std::atomic<int> CThumbPool::m_nSleepTime{50};

int TRANSINDEX(int nIndex, int nFileSize, int /*nThumbnailnum*/) { return geom::TransIndex(nIndex, nFileSize); }

CThumbPool::CThumbPool() {
  QelInitCriticalSection(&m_CSTask);
  QelInitCriticalSection(&m_CSCache);
  QelInitCriticalSection(&m_CSPause);
  m_bAbortReadThumb = false;
  m_nSleepTime = vistrel::ClampedSetting(u"SleepTime_ReadThumb", 50, 0, 1000);
}

CThumbPool::~CThumbPool() {
  Clear();
  if (m_hStopEvent) QelCloseEvent(m_hStopEvent);
  if (m_pThreadTaskObj) m_pThreadTaskObj->Release();
  QelDeleteCriticalSection(&m_CSPause);
  QelDeleteCriticalSection(&m_CSCache);
  QelDeleteCriticalSection(&m_CSTask);
}

bool CThumbPool::Init(ImgObjType eType) {
  m_eImgObjType = eType;
  if (m_hThread) return m_hStopEvent != nullptr;  // running: keep its event
  if (m_hStopEvent) QelCloseEvent(m_hStopEvent);
  m_hStopEvent = QelCreateEvent(1, 0);
  if (!m_hStopEvent) return false;
  if (!m_pThreadTaskObj) m_pThreadTaskObj = CImageObject::CreateImageObject(eType, nullptr);
  return true;
}

bool CThumbPool::StartCacheThread() {
  m_bAbortReadThumb = false;
  if (m_hThread) {
    PauseCacheThread(0);
    return false;
  }
  if (!m_hStopEvent || !m_pThreadTaskObj) return false;
  m_hThread = QelCreateThread(&CThumbPool::BuildCacheThread, this, QEL_THREAD_START_NOW, 0);
  return m_hThread != nullptr;
}

void CThumbPool::PauseCacheThread(int bPause) {
  if (bPause && !m_bPaused) QelEnterCriticalSection(&m_CSPause);
  if (!bPause && m_bPaused) QelLeaveCriticalSection(&m_CSPause);
  m_bPaused = bPause != 0;
}

unsigned long CThumbPool::ReadThumbAbortFunc(void*) { return m_bAbortReadThumb ? 1 : 0; }

uint32_t CThumbPool::BuildCacheThread(void* lpParam) {
  static_cast<CThumbPool*>(lpParam)->RunBuilder();
  return 0;
}

void CThumbPool::RunBuilder() {
  for (;;) {
    if (QelWaitEvent(m_hStopEvent, 0) == QEL_WAIT_OBJECT_0) return;
    QelEnterCriticalSection(&m_CSPause);
    TASK_ITEM task;
    bool empty;
    {
      CSLock lock(&m_CSTask);
      empty = m_tasklist.empty();
      if (!empty) task = m_tasklist.front();
    }
    if (empty) {
      QelLeaveCriticalSection(&m_CSPause);
      if (QelWaitEvent(m_hStopEvent, 100) == QEL_WAIT_OBJECT_0) return;
      if (QelWaitEvent(m_hStopEvent, uint32_t(m_nSleepTime)) == QEL_WAIT_OBJECT_0) return;
      continue;
    }
    bool known = false;
    {
      CSLock lock(&m_CSCache);
      auto it = m_mapObjects.find(task.sPath);
      if (it != m_mapObjects.end()) {
        *m_pThreadTaskObj = *it->second;
        known = true;
      }
    }
    if (!known) {
      // A task for a path the pool does not know: drop it, never spin on it.
      RemeoveTask(task);
      QelLeaveCriticalSection(&m_CSPause);
      continue;
    }
    m_pThreadTaskObj->ProcessTask(task.dwParam, &CThumbPool::ReadThumbAbortFunc, this);
    if (!m_bAbortReadThumb) {
      CSLock lock(&m_CSCache);
      auto it = m_mapObjects.find(task.sPath);
      if (it != m_mapObjects.end()) {
        *it->second = *m_pThreadTaskObj;
        m_setCache.insert(task.sPath);
      }
    }
    // An aborted decode is not recorded as attempted: the path is built
    // again when it is asked for later.
    m_pThreadTaskObj->DestroyTask();
    if (!m_bAbortReadThumb) RemeoveTask(task);
    QelLeaveCriticalSection(&m_CSPause);
    if (QelWaitEvent(m_hStopEvent, uint32_t(m_nSleepTime)) == QEL_WAIT_OBJECT_0) return;
  }
}

FILE_LIST_TYPE CThumbPool::AddThumb_new(const WCHAR* strImagePath, uint32_t) {
  if (!strImagePath) return noobject;
  CQelStringW path(strImagePath);
  CSLock task(&m_CSTask);
  CSLock cache(&m_CSCache);
  if (m_setCache.count(path)) return object_thumbnail;
  if (m_mapObjects.count(path)) return object_nothumbnail;
  m_mapObjects[path] = CImageObject::CreateImageObject(m_eImgObjType, strImagePath);
  return noobject;
}

bool CThumbPool::AddTask(const WCHAR* strImagePath, uint32_t dwThumbParam, int bHeighPriority) {
  if (!strImagePath) return false;
  CQelStringW path(strImagePath);
  CSLock task(&m_CSTask);
  {
    CSLock cache(&m_CSCache);
    if (!m_mapObjects.count(path)) return false;
  }
  auto it = std::find_if(m_tasklist.begin(), m_tasklist.end(), [&](const TASK_ITEM& t) { return t.sPath == path; });
  if (it != m_tasklist.end()) m_tasklist.erase(it);
  if (bHeighPriority) {
    m_tasklist.emplace_front(path, dwThumbParam);
  } else {
    m_tasklist.emplace_back(path, dwThumbParam);
  }
  return true;
}

bool CThumbPool::RemoveTask(const WCHAR* strImagePath) {
  if (!strImagePath) return true;
  CQelStringW path(strImagePath);
  CSLock task(&m_CSTask);
  auto it = std::find_if(m_tasklist.begin(), m_tasklist.end(), [&](const TASK_ITEM& t) { return t.sPath == path; });
  if (it != m_tasklist.end()) m_tasklist.erase(it);
  return true;
}

bool CThumbPool::RemeoveTask(const TASK_ITEM& item) {
  CSLock task(&m_CSTask);
  auto it = std::find(m_tasklist.begin(), m_tasklist.end(), item);
  if (it == m_tasklist.end()) return false;
  m_tasklist.erase(it);
  return true;
}

void CThumbPool::RemoveCache(const WCHAR* strImagePath) {
  if (!strImagePath) return;
  CQelStringW path(strImagePath);
  CSLock task(&m_CSTask);
  CSLock cache(&m_CSCache);
  auto it = m_mapObjects.find(path);
  if (it == m_mapObjects.end()) return;
  it->second->DestroyTask();
  m_setCache.erase(path);
}

bool CThumbPool::IsThumbInCache(const WCHAR* strImagePath) {
  if (!strImagePath) return false;
  CSLock task(&m_CSTask);
  CSLock cache(&m_CSCache);
  return m_setCache.count(CQelStringW(strImagePath)) != 0;
}

CImageObject* CThumbPool::GetImgObjByFilePath(const WCHAR* strImagePath) {
  if (!strImagePath) return nullptr;
  CSLock cache(&m_CSCache);
  auto it = m_mapObjects.find(CQelStringW(strImagePath));
  return it == m_mapObjects.end() ? nullptr : it->second;
}

bool CThumbPool::GetThumbState(const WCHAR* strImagePath, uint32_t& flag, SIZE& size,
                               PubImage::QelPicture** picture) {
  if (picture) *picture = nullptr;
  if (!strImagePath) return false;
  CSLock cache(&m_CSCache);
  auto it = m_mapObjects.find(CQelStringW(strImagePath));
  if (it == m_mapObjects.end()) return false;
  flag = it->second->GetThumbFlag();
  size = it->second->GetObjSize();
  if (picture) {
    *picture = it->second->GetThumbPicture();
    RetainPicture(*picture);
  }
  return true;
}

void CThumbPool::QueryThumbnailTask(const WCHAR* strPath) {
  if (!strPath) return;
  CQelStringW path(strPath);
  // The pause lock waits for the builder's task in progress and keeps it
  // from starting another meanwhile.
  CSLock pause(&m_CSPause);
  CImageObject* scratch = nullptr;
  {
    CSLock task(&m_CSTask);
    CSLock cache(&m_CSCache);
    auto it = m_mapObjects.find(path);
    if (m_setCache.count(path) || it == m_mapObjects.end()) return;
    scratch = CImageObject::CreateImageObject(m_eImgObjType, strPath);
    *scratch = *it->second;
  }
  scratch->ProcessTask(TF_160X160, &CThumbPool::ReadThumbAbortFunc, this);
  {
    CSLock task(&m_CSTask);
    CSLock cache(&m_CSCache);
    auto it = m_mapObjects.find(path);
    if (it != m_mapObjects.end()) {
      *it->second = *scratch;
      m_setCache.insert(path);
    }
  }
  scratch->Release();
  RemoveTask(strPath);
}

void CThumbPool::ClearTask() {
  CSLock task(&m_CSTask);
  m_tasklist.clear();
}

std::list<TASK_ITEM> CThumbPool::Tasks() {
  CSLock task(&m_CSTask);
  return m_tasklist;
}

void CThumbPool::StopBuilder() {
  if (!m_hThread) return;
  PauseCacheThread(0);
  QelSetEvent(m_hStopEvent);
  QelWaitThread(m_hThread, -1);
  QelCloseThreadRef(m_hThread);
  m_hThread = nullptr;
}

void CThumbPool::Clear() {
  m_bAbortReadThumb = true;
  StopBuilder();
  ClearTask();
  CSLock task(&m_CSTask);
  CSLock cache(&m_CSCache);
  for (auto& [path, object] : m_mapObjects) object->Release();
  m_mapObjects.clear();
  m_setCache.clear();
}

void CThumbPool::Adjust(FileList* pFileList, int nCurrent, int nThumbnum) {
  m_bAbortReadThumb = true;
  StopBuilder();
  ClearTask();
  {
    std::set<CQelStringW> window;
    int size = pFileList ? static_cast<int>(pFileList->size()) : 0;
    if (size > 0) {
      for (int i = nCurrent - nThumbnum; i <= nCurrent + nThumbnum; ++i) {
        window.insert(CQelStringW((*pFileList)[size_t(TRANSINDEX(i, size, nThumbnum))]->szFilePath.c_str()));
        if (int(window.size()) >= size) break;  // the window covers the whole list
      }
    }
    CSLock task(&m_CSTask);
    CSLock cache(&m_CSCache);
    for (auto& [path, object] : m_mapObjects) {
      if (!object->GetThumbPicture() || window.count(path)) continue;
      object->DestroyTask();
      m_setCache.erase(path);
    }
  }
  if (m_hStopEvent) QelCloseEvent(m_hStopEvent);
  m_hStopEvent = nullptr;
  if (m_pThreadTaskObj) m_pThreadTaskObj->Release();
  m_pThreadTaskObj = nullptr;
}
