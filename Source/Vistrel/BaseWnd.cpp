// The image view: its settings, what it shows, and switching between windows.
#include "BaseWnd.h"

#include <algorithm>

#include "App.h"
#include "BaseWndShared.h"
#include "GlobalFun.h"
#include "ORVWaitCursor.h"
#include "ThumbPool.h"
#include "VdlHooks.h"
#include "VistrelProfile.h"
#include "qel/QelWindow.h"

using vistrel::CSLock;
using vistrel::Shared;

int CBaseWnd::m_nThumbnailNum = 200;
int CBaseWnd::m_nThumbnailNum_Total = 401;
int CBaseWnd::m_nOrgPictNum = 4;
int CBaseWnd::m_nOrgPictNum_Total = 9;
int CBaseWnd::m_nTimeOut_Start_Readthumb = 1000;
bool CBaseWnd::m_bShowNormal = false;
CThumbPool* CBaseWnd::m_pThumbPool = nullptr;
bool CBaseWnd::m_bCommandLine_needUpdate_thumbList = false;
std::atomic<CBaseWnd*> CBaseWnd::m_pThis{nullptr};
int CBaseWnd::m_nRotateDegree = 0;
bool CBaseWnd::m_bImageModified = false;
bool CBaseWnd::m_bAutoRedEye = false;
std::atomic<bool> CBaseWnd::m_bAbortReadThumb{false};
std::atomic<bool> CBaseWnd::m_bAbortReadOrgImg{false};
std::atomic<bool> CBaseWnd::m_bPreReadNextFirst{true};

namespace {

// The read-order tables hold 101 entries: at most 50 previews each side.
constexpr int kMaxOrgPictNum = 50;
constexpr int kMaxThumbnailNum = 1000;

}  // namespace

CBaseWnd::CBaseWnd() {
  m_nOrgZoomMul = 1;
  m_nOrgZoomDiv = 8;
  m_nResampleRotateDegree = 90;
  m_nThumbnailNum = vistrel::ClampedSetting(u"ThumbnailNum", 200, 0, kMaxThumbnailNum);
  m_nOrgPictNum = vistrel::ClampedSetting(u"OrgPictNum", 4, 0, kMaxOrgPictNum);
  m_nTimeOut_Start_Readthumb = g_VdlSetProfile.GetValue(u"PARAM", u"TimeOut_ReadThumbnail", 1000);
  m_bShowNormal = g_VdlSetProfile.GetValue(u"PARAM", u"ShowthumbNormal", 0) == 1;
  m_nThumbnailNum_Total = 2 * m_nThumbnailNum + 1;
  m_nOrgPictNum_Total = 2 * m_nOrgPictNum + 1;
  InitOrgFileList();
  // The queue, once made, keeps its size: both windows share it.
  m_nOrgPictNum = int(QueueSnapshot().size() - 1) / 2;
  m_nOrgPictNum_Total = 2 * m_nOrgPictNum + 1;
}

CBaseWnd::~CBaseWnd() {
  if (m_pThis == this) m_pThis = nullptr;
  ReleasePicture(m_objPict);
  if (m_objToolset) Qel0Release(m_objToolset);
  if (m_pResampleLayer) Qel0Release(m_pResampleLayer);
  if (m_pResampleRotateLayer) Qel0Release(m_pResampleRotateLayer);
}

FileList* CBaseWnd::Files() { return g_pApp->GetFilelist(); }

tag_FILE_INFO* CBaseWnd::CurrentFile() {
  FileList& list = *Files();
  return (m_nCurIndex >= 0 && m_nCurIndex < int(list.size())) ? list[size_t(m_nCurIndex)] : nullptr;
}

void CBaseWnd::SetCurPath(const WCHAR* path) {
  CSLock lock(&Shared().csCurPath);
  m_szCurPath = path ? path : u"";
}

std::u16string CBaseWnd::GetCurPath() {
  CSLock lock(&Shared().csCurPath);
  return m_szCurPath;
}

bool CBaseWnd::IsReadingCurThumb() {
  vistrel::ReaderState& s = Shared();
  CSLock lock(&s.csImgData);
  return !s.queue.empty() && s.queue[size_t(vistrel::QueueCentre())].bReading;
}

void CBaseWnd::GetImagePreviewAreaSize(SIZE& size) {
  size = SIZE{0, 0};
  if (m_pNoPreviewCata) m_pNoPreviewCata->_QelSize()->GetSize(&size);
}

void CBaseWnd::PublishPreviewAreaSize() {
  SIZE area;
  GetImagePreviewAreaSize(area);
  CSLock lock(&Shared().csImgData);
  Shared().previewArea = area;
}

bool CBaseWnd::CanDoTool() {
  if (CGlobalFun::IsFileExist(GetCurPath().c_str()) && !IsReadingCurThumb()) return true;
  CGlobalFun::MessageBeep();
  return false;
}

void CBaseWnd::ShowElement(void* element, bool show) {
  if (!element) return;
  if (element == m_pNoPreviewView && show) {
    // Says why nothing is shown: a picture over the decode budget, or a
    // file that is no picture at all, is not the same as an empty list.
    m_pNoPreviewView->_QelText()->SetText(NoPictureText(GetCurPath()).c_str());
  }
  static_cast<PubQelmar::QelElement*>(element)->Show(show ? 1 : 0);
}

bool CBaseWnd::IsElementVisible(void* element) {
  return element && static_cast<PubQelmar::QelElement*>(element)->IsVisible() != 0;
}

void CBaseWnd::RelayoutAndRedraw() {
  if (m_pPanel) m_pPanel->AutoLayout();
  if (CQelWindow* w = CQelWindow::FetchQelWindow(m_hWnd)) w->Invalidate();
}

void CBaseWnd::AttachPicture(PubImage::QelPicture* picture) {
  if (m_objImgcFix) m_objImgcFix->SetPict(nullptr);
  ReleasePicture(m_objPict);
  m_objPict = picture;
  RetainPicture(m_objPict);
  if (m_objImgcFix && m_objPict) m_objImgcFix->SetPict(m_objPict);
}

void CBaseWnd::UpdateBtnState() {
  if (!IsElementVisible(m_pImagePreviewArea) && m_bCurFileOpened) {
    ShowElement(m_pImagePreviewArea, true);
    ShowElement(m_pNoPreviewView, false);
  }
}

void CBaseWnd::SetCursor(int id, void*) {
  if (m_objImgcFix) m_objImgcFix->SetCursorID(id, nullptr);
}

void CBaseWnd::RestoreCursor() { SetCursor(0, nullptr); }

bool CBaseWnd::DisplayCurImage(int bInitCompleted) {
  FileList& list = *Files();
  if (m_nCurIndex >= 0 && m_nCurIndex < int(list.size())) {
    const std::u16string path = list[size_t(m_nCurIndex)]->szFilePath;
    if (GetCurPath() != path) {
      {
        CSLock lock(&Shared().csCurPath);
        ReleasePicture(Shared().orgImgPict);
      }
      // Quarter turns and edits belong to the picture they were made on.
      m_nRotateDegree = 0;
      m_bImageModified = false;
      m_bAutoRedEye = false;
    }
    SetCurPath(path.c_str());
    {
      vistrel::ReaderState& s = Shared();
      CSLock lock(&s.csImgData);
      SetReadFileList(m_nCurIndex);
      if (!s.queue.empty()) {
        tagIMGFILEDATA& centre = s.queue[size_t(vistrel::QueueCentre())];
        centre.bReading = centre.objPict == nullptr;
        m_bCurFileOpened = false;
        if (!centre.objPict) ShowElement(m_pNoPreviewView, false);
      }
    }
    OnFinishReadThumb(0);
    StartReadThumbThread();
    if (m_bCommandLine_needUpdate_thumbList) {
      m_bCommandLine_needUpdate_thumbList = false;
      InitThumbFileList();
    }
    return true;
  }
  if (!bInitCompleted) return true;
  // Nothing to show: an empty viewer.
  SetCurPath(u"");
  m_bCurFileOpened = false;
  AttachPicture(nullptr);
  ShowElement(m_pLoadingCata, false);
  ShowElement(m_pImagePreviewArea, false);
  ShowElement(m_pNoPreviewView, true);
  UpdateBtnState();
  return false;
}

void CBaseWnd::OnFinishReadThumb(int bNeedShow, intptr_t token) {
  tagIMGFILEDATA copy;
  PubImage::QelPicture* picture = nullptr;
  {
    vistrel::ReaderState& s = Shared();
    CSLock lock(&s.csImgData);
    if (!s.queue.empty()) {
      copy = s.queue[size_t(vistrel::QueueCentre())];
      picture = copy.objPict;
      RetainPicture(picture);
    }
  }
  bool bDisplayThumb = false;
  GETTHUMB result = GETTHUMB_NOTHUMB;
  const std::u16string path = GetCurPath();
  if (!picture) {
    bDisplayThumb = true;
    if (CGlobalFun::IsFileExist(path.c_str())) {
      SIZE size{0, 0};
      result = GetFileThumbnail(path.c_str(), size, &picture);
      copy.sizeOrgImg = copy.sizeCurThumb = size;
    }
  }
  tag_FILE_INFO* file = CurrentFile();
  if (!bDisplayThumb && file) {
    Vardel::_TRACEA("Browsed %d \n", m_nCurIndex);
    ++file->dwBrowsed;
    file->ftBrowsed = plat::CurrentFileTime();
  }
  auto writeSizes = [&] {
    if (!file) return;
    file->nImageWidth_org = copy.sizeOrgImg.cx;
    file->nImageHeight_org = copy.sizeOrgImg.cy;
    file->nImageWidth = copy.sizeCurThumb.cx;
    file->nImageHeight = copy.sizeCurThumb.cy;
  };

  bool haveFull;
  {
    CSLock lock(&Shared().csCurPath);
    haveFull = Shared().orgImgPict != nullptr;
  }
  if (haveFull || (picture && picture == m_objPict)) {
    // The shown picture stays (the full-resolution one, or the same preview).
    writeSizes();
    m_bCurFileOpened = m_objPict != nullptr;
    if (IsElementVisible(m_pLoadingCata)) {
      ShowElement(m_pLoadingCata, false);
      RelayoutAndRedraw();
    }
    ShowElement(m_pImagePreviewArea, m_bCurFileOpened);
    ShowElement(m_pNoPreviewView, !m_bCurFileOpened);
    UpdateBtnState();
    ReleasePicture(picture);
    ReleaseSendMessageMutex(token);
    return;
  }

  if (copy.bOrgImg && picture) {
    CSLock lock(&Shared().csCurPath);
    ReleasePicture(Shared().orgImgPict);
    Shared().orgImgPict = picture;
    RetainPicture(picture);
  }
  writeSizes();
  m_bCurFileOpened = picture != nullptr;
  ShowElement(m_pLoadingCata, bNeedShow == 0 && result == GETTHUMB_FILEUPDATE);
  ShowElement(m_pNoPreviewView, !m_bCurFileOpened && bNeedShow == 1);
  ShowElement(m_pImagePreviewArea, m_bCurFileOpened);
  AttachPicture(picture);
  ReleasePicture(picture);  // AttachPicture took its own reference
  if (m_objPict) {
    if (m_objImgcFix)
      m_objImgcFix->SetShowQualityGrade(m_bShowNormal && bDisplayThumb ? QUALITY_NORNAL : QUALITY_GOOD);
    FitInImage(bDisplayThumb);
  }
  UpdateBtnState();
  if (m_bCurFileOpened && m_bSupportRotateEffect) UpdateResampleLayer();
  ReleaseSendMessageMutex(token);
}

GETTHUMB CBaseWnd::GetFileThumbnail(const WCHAR* lpszPath, SIZE& siPict, PubImage::QelPicture** ppThumbnail) {
  *ppThumbnail = nullptr;
  uint32_t flag = 0;
  if (!m_pThumbPool || !m_pThumbPool->GetThumbState(lpszPath, flag, siPict, nullptr)) return GETTHUMB_FILEUPDATE;
  if (flag < TF_160X160) {
    ShowElement(m_pLoadingCata, true);
    RelayoutAndRedraw();
    m_pThumbPool->QueryThumbnailTask(lpszPath);
  }
  m_pThumbPool->GetThumbState(lpszPath, flag, siPict, ppThumbnail);
  return *ppThumbnail ? GETTHUMB_SUCCESS : GETTHUMB_NOTHUMB;
}

void CBaseWnd::InitThumbFileList() {
  FileList& list = *Files();
  // An empty list has nothing to keep thumbnails of.
  if (list.empty()) return;
  if (m_pThumbPool) {
    m_pThumbPool->Adjust(&list, m_nCurIndex, m_nThumbnailNum);
  } else {
    m_pThumbPool = new CThumbPool;
  }
  m_pThumbPool->Init(IOT_Edit);
  m_pThumbPool->StartCacheThread();
  CORVWaitCursor wait;
  for (const tag_FILE_INFO* info : list) m_pThumbPool->AddThumb_new(info->szFilePath.c_str(), 2);
}

void CBaseWnd::SyncData(CBaseWnd* pSrcWnd) {
  if (!pSrcWnd) return;
  m_pThis = this;
  m_nCurIndex = pSrcWnd->m_nCurIndex;
  SetCurPath(pSrcWnd->GetCurPath().c_str());
  m_bCurFileOpened = pSrcWnd->m_bCurFileOpened;
  ShowElement(m_pImagePreviewArea, m_bCurFileOpened);
  ShowElement(m_pNoPreviewView, !m_bCurFileOpened);
  if (IsElementVisible(m_pLoadingCata)) ShowElement(m_pLoadingCata, false);
  AttachPicture(pSrcWnd->m_objPict);
  if (m_objPict) FitInImage(false);
  UpdateBtnState();
  if (NeedReadOrgImg(0)) StartReadOrgImgThread();
  RestartPreReadIfNecessary();
  if (m_bCurFileOpened && m_bSupportRotateEffect) UpdateResampleLayer();
}

void CBaseWnd::FitInImage(bool bDisplaythumb) {
  tag_FILE_INFO* file = CurrentFile();
  const bool opened = m_bCurFileOpened || m_objPict;
  const int32_t w = (opened && file) ? file->nImageWidth : 0;
  const int32_t h = (opened && file) ? file->nImageHeight : 0;
  SIZE area;
  GetImagePreviewAreaSize(area);
  if (opened && m_objImgcFix) {
    if (w > area.cx || h > area.cy) {
      m_objImgcFix->SetMode(1);
    } else if (bDisplaythumb) {
      // A thumbnail stands for a small image: shown at the image's real size.
      SIZE shown = PictureSize(m_objPict);
      SetZoom(w, shown.cx > 0 ? shown.cx : 1);
    } else {
      SetZoom(1, 1);
    }
  }
  m_bFitIn = true;
  if (opened && !AdjustImageView(m_pImagePreviewArea, m_pShadowCata, m_objImgcFix) && m_objImgcFix)
    m_objImgcFix->Invalidate(1, nullptr);
}
