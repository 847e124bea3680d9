#pragma once
// The model behind one 'prtc' element: the pages, the image list of
// pictures and texts, the current template, the print manager it prints
// through, the numbered settings, and the notifications to the host.
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "CQelLock.h"
#include "MyTextInfo.h"
#include "PrintCell.h"
#include "PrintImageList.h"
#include "PrintManagerApi.h"
#include "PrintRequest.h"
#include "PubImage.h"

class CPrintPage;

// An error or warning for the host (notification 2123).
struct tagMessageInfo {
  int32_t code;
  const WCHAR* text;
};

// The selected picture's printed size and resolution (notification 2112).
struct tagSELPICINFO {
  double width, height;
  int32_t xResolution, yResolution;
};

// The page count and current page (notification 2114).
struct tagPAGEINFO {
  int32_t count;
  int32_t current;  // current page + 1, 0 when none
};

// What a picture cell of the old pages was, carried into the new ones.
struct CTmpCellInfo {
  bool autoCrop = true;
  bool flip = false;
  int32_t rotation = 0;
  int32_t picCenterX = 0, picCenterY = 0;
  int32_t cropCenterX = 0, cropCenterY = 0;
  double zoom = 1.0;
  int32_t picIndex = -1;
  CQelStringW fileName;
};

// A cell's information (command 27); the caller sets the request flags.
struct tagCELLINFO {
  uint32_t reserved;
  int32_t kind;      // 0 picture, 1 text, 2 empty picture cell
  uint32_t request;  // 1 file name, 2 print picture, 4 display picture
  SIZE dispSize;
  SIZE orgSize;
  SRect32 picRect;
  SRect32 cellRect;
  int32_t rotation;
  int32_t flip;
  double zoom;
  PubImage::QelPicture* printPic;  // the caller's
  PubImage::QelPicture* dispPic;   // the caller's copy
  WCHAR fileName[1024];
};

// Notifications to the host element.
enum : int32_t {
  PRTC_SELPIC = 2112,
  PRTC_ACTIONS = 2113,
  PRTC_PAGES = 2114,
  PRTC_OPTIONS = 2115,
  PRTC_RBUTTON = 2116,
  PRTC_PAGEBIN = 2117,
  PRTC_ERROR = 2123,
  PRTC_PRINT_START = 2124,
  PRTC_PROGRESS = 2125,
  PRTC_PRINT_END = 2126,
  PRTC_MOUSE = 2127,
  PRTC_DBLCLICK = 2128,
  PRTC_LOWDPI = 2131,
};

class CPrintProject {
 public:
  explicit CPrintProject(const void* hostElement);
  virtual ~CPrintProject();
  CPrintProject(const CPrintProject&) = delete;
  CPrintProject& operator=(const CPrintProject&) = delete;

  // ---- the command interface (element message class 53) ----
  intptr_t Interface(uint32_t command, intptr_t wparam, const void* lparam);
  int GetCellInfo(long page, long cell, tagCELLINFO* info);
  // A copy of a cell's picture for the host (command 21); null when none.
  PubImage::QelPicture* CellPictureCopy(long page, long cell);
  intptr_t _SetParam(long id, const void* value);
  intptr_t GetParam(long id, const void* out);
  int32_t GetBParam(long id) const { return id >= 0 && id < kParams ? m_nParam[id] : 0; }
  // Attaches the host's print manager (one reference held); null detaches.
  void SetPrintManager(CZylPrintManager* manager);
  CZylPrintManager* GetPrintManager() const { return m_pPrintMgr; }

  // The "UI" folder of the bundle holding the control, with a separator.
  static std::u16string BundleResourceFolder();
  void _LoadRes();
  const std::u16string& GetPageNumFormat() const { return m_pageNumFormat; }

  // ---- printer geometry, in device pixels (0 without a manager) ----
  int GetPrintPaperSize(SIZE& size) const;
  int GetPrintArea(SRect32& area) const;
  int GetPrintPixel(int& x, int& y) const;
  int GetPrinterMargin(int* left, int* top) const;
  int GetPaperSize(double& w, double& h, bool useSetting, bool inch) const;
  // The template's recommended scaling as a factor (1.0 without a template).
  double GetCellZoom() const;
  CTemplate* GetTemplate() const { return m_pTemplate; }

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

  // ---- files ----
  int _AddFile(const WCHAR* path, long page, long cell, bool flag, long* index, bool lastPageOnly, SIZE* size);
  int _DoAddFile(const WCHAR* path, long page, long cell);
  int _RemoveFile(const WCHAR* path);
  int _RefreshImage(long index, const WCHAR* path, bool edited);
  void _FreeNoneUsedImg();
  void SetCellClipBoard(CPrintCell* cell);
  CPrintCell* GetCellClipBoard() const { return m_pClipCell; }

  // ---- pages ----
  long GetPageCount() const { return long(m_pages.size()); }
  CPrintPage* GetPage(long i) const;
  long GetPageIndex(const CPrintPage* page) const;
  long GetCurrentPage() const { return m_nCurPage; }
  int CreateNewPage();
  int DeletePage(long page);
  int CanDeletePage() const;
  int _AutoDelLastNullPage();
  int _GetFirstEmptyCell(long& page, long& cell, bool create, bool lastPageOnly);
  CPrintCell* _GetActiveCell() const;
  void _PageThumbChanged(long page);

  // ---- templates and rebuilding ----
  int _SetTemplate(int force);
  int _NewProject();
  void _ReCalculateRects();
  SIZE _CalculateCellSize(SIZE picture, int mode) const;
  void _AdjustPosition(SRect32& rect);
  // A free-layout cell showing the entry, sized and placed for a new copy.
  CPrintCell _NewFreeCell(long entry);
  int _RefreshImg(int firstFile, long currentPage, std::vector<CTmpCellInfo*>* cells);
  void _CreateTmpPagesTexts();
  void _ClearTmpPagesTexts();
  bool _TextInTmp() const;
  void _CreateCellMaskPics();
  void _ClearCellMaskPics();
  void _UpdateCropMarkFlag();
  int GetCropMark() const;

  // ---- state and notifications ----
  void SetNeedSave(int flag);
  int GetNeedSave() const { return m_nParam[9]; }
  void PageNotify(const CPrintPage* page, long kind, long a, long b);
  intptr_t _PostMessage(int32_t code, intptr_t data);
  intptr_t UpdateActionBtnState() { return _PostMessage(PRTC_ACTIONS, 0); }
  intptr_t SendErrorMessage(tagMessageInfo* info);
  intptr_t OnRbtnDown(long cell);
  intptr_t UpdateLowDpiCellsNum();
  uint32_t _GetActionBtnState() const;
  int _GetSelPicState(tagSELPICINFO& info) const;
  int IsCellLowDpi(const CPrintCell* cell, double* width, double* height) const;
  int _GetPageHaveLowDpiCells(long page) const;
  uint32_t OptionBits() const;

  // ---- cell actions (command 3) ----
  intptr_t _DoCellAction(long action, const void* arg);
  int _CellIncrease(CPrintCell* cell);
  int _CellDecrease(CPrintCell* cell);
  void _FreePagePic(long page);
  intptr_t _PasteCell(CPrintPage* page, long active, CPrintCell* cell);
  intptr_t _DeleteCurrentPage();
  // What the preview and the page strip are told of an action (nothing
  // while there is neither).
  void _PreviewCellChanged(long action, long cell);
  void _PreviewShowPage(long page, bool force);
  void _PreviewSetActive(long page, long cell);
  void _PreviewUpdateCopyBtn();
  void _PreviewUpdateCellDel(long page, long cell);
  bool _PreviewShows(long page) const;
  void _PageStripScroll(int direction);

  // ---- printing and still images (command 13) ----
  int _DoPrint(const tagDOPRINTINFO* info);
  int _PrintPage(CPrintPage* page);
  int _DoStillImage(const tagDOPRINTINFO* info);
  static int s_StillImgProc(void* project, int step);
  int _StillImgProc(int step);
  int32_t* CancelFlag() { return &m_nCancel; }
  bool IsPrinting() const { return m_bPrinting; }

  static constexpr int kParams = 200;
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
  std::vector<std::list<CPrintCell>> m_tmpPageTexts;
  std::vector<std::list<FILENODE>> m_tmpPageTextNodes;

  // Settings of the high group and the project's other state.
  int32_t m_bReady = 1;
  int32_t m_nCancel = 0;
  POINT m_margin{0, 0};
  std::u16string m_resFolder;
  std::u16string m_pageNumFormat = u"Page %d of %d";
  std::u16string m_emptyLabel = u"None";
  int32_t m_fontSize216 = 0, m_fontSize217 = 0;  // date tokens, second font
  std::u16string m_label;
  std::u16string m_productLabel = u"Corvelle 5";
  SIZE m_thumbSize{80, 80};
  int32_t m_nTurnAngle = 90;  // stored as 360 - angle
  int32_t m_colour1 = 0xD66D4A, m_colour2 = 0xFFDBCE;
  int32_t m_nStored220 = 0, m_nStored241 = 0;
  uint8_t m_style216[92] = {}, m_style217[92] = {}, m_titleStyle[92] = {}, m_tailStyle[92] = {};
  std::u16string m_titleText, m_tailText;
  int32_t m_title[3] = {0, 1, 1}, m_tail[4] = {0, 1, 1, 1};
  PICOPENPROC m_openProc = nullptr;
  void* m_openContext = nullptr;
  bool m_bRebuildGuard = false;
  bool m_bCropMark = false;
  bool m_bBusy = false;
  // The last template application.
  std::u16string m_brand, m_templateName;
  SIZE m_lastPaper{0, 0};
  SRect32 m_lastArea{0, 0, 0, 0};
  int m_lastPixelX = -1, m_lastPixelY = -1;
  // The running print job: cells to print and printed, per entry the
  // cells still to print it, the last progress value sent.
  bool m_bPrinting = false;
  int32_t m_nCellsToPrint = 0, m_nCellsPrinted = 0, m_nLastProgress = -1;
  std::vector<int32_t> m_printCounters;
  int _StartJobCounters(long first, long last);
  void _EndJobCounters();
  void _PostProgress(int32_t percent);
  void _PostPrintError(int32_t code, const std::u16string& text);
  // Free-layout placement.
  int32_t m_nSlot = 0, m_nShift = 0, m_bResetSlots = 1;
};
