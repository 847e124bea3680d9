#pragma once
// A pool of 160 x 160 thumbnails of the pictures of the file list, one
// image object per path, built on one background thread from a queue of
// tasks. Locks are always taken in the order pause, task, cache.
#include <atomic>
#include <list>
#include <map>
#include <set>

#include "FileInfo.h"
#include "ImageObject.h"
#include "qel/QelSync.h"
#include "qel/QelThread.h"

enum FILE_LIST_TYPE { noobject = 0, object_nothumbnail = 1, object_thumbnail = 2 };

struct TASK_ITEM {
  TASK_ITEM() = default;
  TASK_ITEM(const CQelStringW& path, uint32_t param) : sPath(path), dwParam(param) {}
  bool operator==(const TASK_ITEM& o) const { return sPath == o.sPath && dwParam == o.dwParam; }

  CQelStringW sPath;
  uint32_t dwParam = 0;
};

// Wraps an index into 0 .. nFileSize-1 around the list (0 for an empty list).
int TRANSINDEX(int nIndex, int nFileSize, int nThumbnailnum);

class CThumbPool {
 public:
  CThumbPool();
  CThumbPool(const CThumbPool&) = delete;
  CThumbPool& operator=(const CThumbPool&) = delete;
  virtual ~CThumbPool();

  // Makes the stop event and the builder's scratch object.
  bool Init(ImgObjType eType);
  // Starts the builder; with one running, releases its pause and answers false.
  bool StartCacheThread();
  void PauseCacheThread(int bPause);

  // Makes an object for a new path (no task is queued).
  FILE_LIST_TYPE AddThumb_new(const WCHAR* strImagePath, uint32_t unused);
  // Queues (or moves) the path's task, at the front when high priority;
  // false for a path without an object.
  bool AddTask(const WCHAR* strImagePath, uint32_t dwThumbParam, int bHeighPriority);
  bool RemoveTask(const WCHAR* strImagePath);
  void RemoveCache(const WCHAR* strImagePath);
  bool IsThumbInCache(const WCHAR* strImagePath);
  // No reference passed; read its state through GetThumbState.
  CImageObject* GetImgObjByFilePath(const WCHAR* strImagePath);
  // The path's flag, image size and thumbnail (one reference passed, may
  // be null), read under the pool's lock; false without an object.
  bool GetThumbState(const WCHAR* strImagePath, uint32_t& flag, SIZE& size, PubImage::QelPicture** picture);
  // Builds the path's thumbnail now, on the calling thread.
  void QueryThumbnailTask(const WCHAR* strPath);
  void ClearTask();
  // Stops the builder and empties the pool.
  void Clear();
  // Stops the builder and keeps only the thumbnails within nThumbnum
  // places (around the list) of the current picture of a new list.
  void Adjust(FileList* pFileList, int nCurrent, int nThumbnum);

  // The tasks queued, front first (tests and tracing).
  std::list<TASK_ITEM> Tasks();
  bool IsBuilderRunning() const { return m_hThread != nullptr; }

  static uint32_t BuildCacheThread(void* lpParam);
  static unsigned long ReadThumbAbortFunc(void*);

  // Set while the pool is cleared or re-aimed: a decode in progress stops.
  static std::atomic<bool> m_bAbortReadThumb;
  static std::atomic<int> m_nSleepTime;

 private:
  void StopBuilder();
  bool RemeoveTask(const TASK_ITEM& task);
  void RunBuilder();

  ImgObjType m_eImgObjType = IOT_UNKNOW;
  std::set<CQelStringW> m_setCache;
  std::map<CQelStringW, CImageObject*> m_mapObjects;
  std::list<TASK_ITEM> m_tasklist;
  CImageObject* m_pThreadTaskObj = nullptr;
  QelCriticalSection m_CSTask;
  QelCriticalSection m_CSCache;
  QelCriticalSection m_CSPause;
  QelThreadRef m_hThread = nullptr;
  bool m_bPaused = false;
  QelEventRef m_hStopEvent = nullptr;
};
