#pragma once
// The model behind one 'prtc' element: the pages, the image list of
// pictures and texts, the current template, the print manager it prints
// through and the numbered settings.
#include <cstdint>
#include <vector>

#include "CQelLock.h"
#include "MyTextInfo.h"
#include "PrintImageList.h"
#include "PrintManagerApi.h"
#include "PubImage.h"

class CPrintCell;
class CPrintPage;

// An error or warning for the host (notification 2123).
struct tagMessageInfo {
  int32_t code;
  const WCHAR* text;
};

class CPrintProject {
 public:
  explicit CPrintProject(const void* hostElement);
  virtual ~CPrintProject();
  CPrintProject(const CPrintProject&) = delete;
  CPrintProject& operator=(const CPrintProject&) = delete;

  // ---- printer geometry, in device pixels (0 without a manager) ----
  int GetPrintPaperSize(SIZE& size) const;
  int GetPrintArea(SRect32& area) const;
  int GetPrintPixel(int& x, int& y) const;
  int GetPrinterMargin(int* left, int* top) const;
  // The template's recommended scaling as a factor (1.0 without a template).
  double GetCellZoom() const;

  // ---- resources of the image list ----
  CPrintImageList* GetImageList() const { return m_pImageList; }
  PubImage::QelPicture* GetImgThumbPic(long res) const;
  PubImage::QelPicture* GetImgDispPic(long res) const;
  PubImage::QelPicture* GetImgOrgPic(long res) const;
  int32_t GetOrgDispPicRotatedDegee(long res) const;
  SIZE GetOrgImgDispSize(long res) const;
  bool IsTextRes(long res) const;
  // One copy less; an entry the clipboard cell holds is never dropped.
  int ImgCopiesDecrease(long res, bool drop);
  long AddText(const CMyTextInfo& info);
  int UpdateText(unsigned long res, const CMyTextInfo& info, POINT* oldShadow);
  PubImage::QelPicture* GetCellMaskPic(unsigned long i) const;

  // ---- pages ----
  long GetPageCount() const { return long(m_pages.size()); }
  CPrintPage* GetPage(long i) const;
  long GetPageIndex(const CPrintPage* page) const;

  // ---- state and notifications ----
  void SetNeedSave(int flag);
  int GetNeedSave() const { return m_nParam[9]; }
  void PageNotify(const CPrintPage* page, long kind, long a, long b);
  void SendErrorMessage(tagMessageInfo* info);
  int32_t GetParam(int id) const { return id >= 0 && id < kParams ? m_nParam[id] : 0; }

  static constexpr int kParams = 34;
  int32_t m_nParam[kParams] = {};
  uint32_t m_nUndoDepth = 0xFFFFFFFFu;   // setting 201
  uint32_t m_nTextCellsPerPage = 50;     // setting 212
  int32_t m_nResThreshold = 200;         // setting 213
  uint32_t m_nFreePageCells = 999;       // setting 214
  uint32_t m_nCopiesOfOne = 0xFFFFFFFFu; // setting 221
  uint32_t m_nPrintedPictures = 999;     // setting 222

 protected:
  const void* m_pHostElement;
  CQelLock m_lock;
  CPrintImageList* m_pImageList;
  std::vector<CPrintPage*> m_pages;
  long m_nCurPage = -1;
  CTemplate* m_pTemplate = nullptr;
  CZylPrintManager* m_pPrintMgr = nullptr;
  CPrintCell* m_pClipCell = nullptr;
  std::vector<PubImage::QelPicture*> m_cellMaskPics;
};
