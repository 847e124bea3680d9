#pragma once
// The image view shared by the main window and the full-screen window: it
// shows one picture of the application's file list in an image control,
// keeps the current index and path, fits, zooms and turns the picture, and
// hands reading to two threads (previews around the current picture, and
// the current picture at full resolution). The queue, the threads, the
// locks and the settings are shared by both windows; m_pThis names the
// window that owns them now.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "FileInfo.h"
#include "ImageGeometry.h"
#include "PictureReader.h"
#include "PubImage.h"
#include "PubQelmar.h"
#include "qel/QelSync.h"
#include "qel/QelThread.h"

class CThumbPool;

// What tells whether a file changed since it was read.
struct FileIdentity {
  bool exists = false;
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modified_ns = 0, born_ns = 0;
};

// One entry of the picture queue.
struct tagIMGFILEDATA {
  std::u16string szFile;            // empty: unassigned
  PubImage::QelPicture* objPict = nullptr;  // counted reference owned by the entry
  bool bOrgImg = false;             // the picture is the full-resolution picture
  SIZE sizeOrgImg{0, 0};            // the image in the file
  bool bReading = false;            // a reader works on the entry
  bool bRawFile = false;
  SIZE sizeCurImgCtrl{0, 0};        // the preview area when it was read
  SIZE sizeCurThumb{0, 0};
  FileIdentity fsCatalogInfo;
};

enum AdjustDataQueueAction { ADQ_Previous = 0, ADQ_Next = 1, ADQ_Delete = 2 };
enum GETTHUMB { GETTHUMB_SUCCESS = 0, GETTHUMB_NOTHUMB = 1, GETTHUMB_FILEUPDATE = 2 };
enum IMGC_SHOWQUALITY_GRADE { QUALITY_NORNAL = 0, QUALITY_GOOD = 1, QUALITY_SYSTEM = 2 };

// Private window messages of the reader threads.
inline constexpr uint32_t WM_FINISH_READ_THUMB = 3030;
inline constexpr uint32_t WM_FINISH_READ_ORGIMG = 3031;

class CBaseWnd {
 public:
  CBaseWnd();
  CBaseWnd(const CBaseWnd&) = delete;
  CBaseWnd& operator=(const CBaseWnd&) = delete;
  virtual ~CBaseWnd();

  virtual WindowRef GetSafeHwnd() { return m_hWnd; }
  virtual void UpdateBtnState();
  virtual void SetCurIndex(int nIndex) { m_nCurIndex = nIndex; }
  virtual int GetCurIndex() { return m_nCurIndex; }
  virtual bool DisplayCurImage(int bInitCompleted);
  virtual void SyncData(CBaseWnd* pSrcWnd);
  virtual void SetToolbarSemitransparent(int) {}
  virtual void DoPrevious();
  virtual void DoNext();
  virtual void DoZoomIn();
  virtual void DoZoomOut();
  virtual void DoActualSize();
  virtual void DoBestFit();
  virtual void DoRotate(int bLeft);
  virtual void OnKeyDown(uint32_t wParam, intptr_t lParam);
  virtual void OnMouseWheel(uint32_t wParam, intptr_t lParam);
  virtual void OnKeyUp(uint32_t wParam, intptr_t lParam);
  virtual void ShowThumbSize(SIZE, int) {}
  virtual bool PrepareTools();
  virtual void FitInImage(bool bDisplaythumb);
  virtual void SetZoom(long nMul, long nDiv);
  virtual bool CanPan();
  virtual void SetCursor(int id, void* bundle);
  virtual void RestoreCursor();
  virtual void DoRotateEffect(int bRotateLeft);
  virtual PubImage::QelLayer* GetFitLayer(const SIZE& sizeDisplayArea, const SIZE& sizeOrgImg, PubImage::QelLayer* pLayer);
  virtual void UpdateResampleLayer();
  virtual void SwapResampleLayer(int bRotateLeft);
  virtual int AdjustImageView(PubQelmar::QelPanel*, PubQelmar::QelPanel*, PubImage::QelImgControl*) { return 0; }

  // State.
  void SetCurPath(const WCHAR* path);
  std::u16string GetCurPath();
  bool IsReadingCurThumb();
  bool IsCurFileOpened() const { return m_bCurFileOpened; }
  void GetImagePreviewAreaSize(SIZE& size);
  // The current file exists and is not being read; otherwise a beep.
  bool CanDoTool();

  // Display (image view).
  void OnFinishReadThumb(int bNeedShow, intptr_t token = 0);
  GETTHUMB GetFileThumbnail(const WCHAR* lpszPath, SIZE& siPict, PubImage::QelPicture** ppThumbnail);
  // A new file list arrived (or the list changed): the thumbnail pool follows it.
  void InitThumbFileList();

  // Zoom (relative to the image in the file).
  bool CanZoomIn();
  bool CanZoomOut();
  bool CanDoActualSize();
  bool CanDoBestFit() { return !m_bFitIn; }
  void GetOrgZoomValue(int& nOrgMul, int& nOrgDiv);
  void SetOrgZoomValue(int nOrgMul, int nOrgDiv) {
    m_nOrgZoomMul = nOrgMul;
    m_nOrgZoomDiv = nOrgDiv;
  }
  bool GetNextZoomValue(int bZoomIn, int& nMul, int& nDiv);
  bool CurZoom2OrgZoom(const int& nCurMul, const int& nCurDiv, int& nOrgMul, int& nOrgDiv);
  bool OrgZoom2CurZoom(const int& nOrgMul, const int& nOrgDiv, int& nCurMul, int& nCurDiv);
  void RedoActionsToOrgImg(POINT& ptPictOrg);
  bool IsFitIn() const { return m_bFitIn; }

  // Read-ahead and the full-resolution reader.
  void AdjustDataQueue(AdjustDataQueueAction Action, int bKeepCurThumb);
  void AdjustTask_Thumb(AdjustDataQueueAction Action);
  void SetReadFileList(int nCurIndex);
  static void ClearDataQueue();
  static void AbortReadThreadAndClear();
  bool CanKeepCurrentThumb();
  bool StartReadThumbThread();
  bool StartReadOrgImgThread();
  static bool StopReadThumbThread();
  static bool StopReadOrgImgThread();
  static void StopAllReadThread();
  static void PauseReadOrgImage(int bPause);
  void RestartPreReadIfNecessary();
  bool NeedReadOrgImg(int bNeed);
  void OnFinishReadOrgImg(intptr_t token = 0);
  static bool IsDesiredThumbFitSize(const tagIMGFILEDATA& data);
  static PubImage::QelPicture* OpenImgForPreview(const std::u16string& path, tagIMGFILEDATA& data, ImgAbortProc fAbort,
                                                 void* pExtra);
  static enuDeflateLevel GetDeflateLevel(SIZE sizeSource, SIZE sizeDest) {
    return geom::GetDeflateLevel(sizeSource, sizeDest);
  }
  static FileIdentity GetFileInfo(const std::u16string& path);
  static bool IsSameFile(const tagIMGFILEDATA& a, const tagIMGFILEDATA& b);
  static unsigned long ReadThumbAbortFunc(void*) { return m_bAbortReadThumb ? 1 : 0; }
  static unsigned long ReadOrgImgAbortFunc(void*) { return m_bAbortReadOrgImg ? 1 : 0; }
  // A copy of the queue (tests and tracing); pictures not retained.
  static std::vector<tagIMGFILEDATA> QueueSnapshot();
  static PubImage::QelPicture* FullResolutionPicture();  // no reference passed
  // Results posted to the window that it has not taken yet.
  static size_t PendingHandOvers();
  PubImage::QelPicture* ShownPicture() const { return m_objPict; }

  // Settings (section "PARAM" of the profile, read by every construction).
  static int m_nThumbnailNum;
  static int m_nThumbnailNum_Total;
  static int m_nOrgPictNum;
  static int m_nOrgPictNum_Total;
  static int m_nTimeOut_Start_Readthumb;
  static bool m_bShowNormal;

  static CThumbPool* m_pThumbPool;
  static bool m_bCommandLine_needUpdate_thumbList;
  static std::atomic<CBaseWnd*> m_pThis;
  // Edits applied to the shown image (quarter turns in degrees 0-359).
  static int m_nRotateDegree;
  static bool m_bImageModified;
  static bool m_bAutoRedEye;

  static std::atomic<bool> m_bAbortReadThumb;
  static std::atomic<bool> m_bAbortReadOrgImg;
  static std::atomic<bool> m_bPreReadNextFirst;

 protected:
  // The preview area's size as the readers see it (set on the window's thread).
  void PublishPreviewAreaSize();
  void ShowElement(void* element, bool show);
  bool IsElementVisible(void* element);
  void RelayoutAndRedraw();
  void AttachPicture(PubImage::QelPicture* picture);
  FileList* Files();
  tag_FILE_INFO* CurrentFile();
  // Releases a hand-over: the reader that posted `token` goes on.
  static void ReleaseSendMessageMutex(intptr_t token);

  void* m_hInstance = nullptr;
  PubImage::QelImgControl* m_objImgcFix = nullptr;
  PubImage::QelPicture* m_objPict = nullptr;
  QelObject m_objToolset = nullptr;
  PubQelmar::QelPanel* m_pImagePreviewArea = nullptr;
  PubQelmar::QelPanel* m_pShadowCata = nullptr;
  PubQelmar::QelPanel* m_pNoPreviewView = nullptr;
  PubQelmar::QelPanel* m_pNoPreviewCata = nullptr;
  PubQelmar::QelPanel* m_pLoadingCata = nullptr;
  PubQelmar::QelPanel* m_pPanel = nullptr;
  WindowRef m_hWnd = nullptr;
  WindowRef m_hMsgBoxParent = nullptr;
  int m_nCurIndex = 0;
  bool m_bCurFileOpened = false;
  bool m_bSupportRotateEffect = false;
  int m_nOrgZoomMul = 1;
  int m_nOrgZoomDiv = 8;
  bool m_bFitIn = false;
  PubImage::QelLayer* m_pResampleLayer = nullptr;
  PubImage::QelLayer* m_pResampleRotateLayer = nullptr;
  int m_nResampleRotateDegree = 90;
  // Read by the full-resolution reader: written under the path lock.
  std::u16string m_szCurPath;

 private:
  friend class CBaseWndReaders;
  static uint32_t ReadThumbThreadFunc(void*);
  static uint32_t ReadOrgImgThreadFunc(void*);
  // Posts a reader's result to the owning window and waits until the window
  // has taken it (or the reader is told to stop); false when nothing was posted.
  static bool DoSendMessage(uint32_t uMsg, const std::atomic<bool>& stop);
  static void InitOrgFileList();
  static void ReleaseAllHandOvers();
};
