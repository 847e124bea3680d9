#pragma once
// One page of the print project: its cells in index order, the template it
// was laid out from, the active cell, the cells' display pictures, an open
// text edit, and undo and redo records. A template page keeps one cell per
// template cell; a free-layout page adds, removes and stacks cells freely.
#include <cstdint>
#include <list>
#include <vector>

#include "MyTextInfo.h"
#include "PrintCell.h"
#include "PubImage.h"
#include "Template.h"

class CPrintProject;

class CPrintPage {
 public:
  struct CURNode {
    CURNode() = default;
    CURNode(const CURNode& o) : action(o.action), index(o.index), cells(o.cells) {}
    CURNode& operator=(const CURNode& o) = delete;
    virtual ~CURNode() = default;
    int32_t action = 1000;
    int32_t index = -1;
    void* data = nullptr;  // owned: a CMyTextInfo for action 8
    std::list<CPrintCell> cells;
  };
  // Called once per cell drawn with its context and a percentage (at least
  // 1); answering 0 stops.
  typedef int (*PAGEPICPROC)(void* context, int percent);

  CPrintPage(CPrintProject* project, int freeLayout);
  virtual ~CPrintPage();
  CPrintPage(const CPrintPage&) = delete;
  CPrintPage& operator=(const CPrintPage&) = delete;

  // ---- layout ----
  int SetTemplate(CTemplate* t);
  void OrientationChanged(CTemplate* t);
  void LimitCellRect(SRect32& r) const;
  bool IsFreeLayout() const { return freeLayout; }
  SIZE GetPaperSize() const { return paperSize; }
  void SetPaperSize(SIZE s) { paperSize = s; }

  // ---- cells ----
  long GetCellCount() const { return long(cells.size()); }
  CPrintCell* GetCell(unsigned long i) const;
  long _GetCellIndex(const CPrintCell* cell) const;
  CPrintCell* GetActiveCellPt() const;
  long GetActiveCell() const { return activeCell; }
  void SetActiveCell(long i);
  long GetCellResourceIndex(long i) const;
  bool IsTextCell(long i) const;
  bool IsPicCell(long i) const;
  long GetTextCellsNum() const;
  bool IsPageEmpty() const;
  long GetFileNumInPage() const;
  long _GetMaxZOrder(int withText) const;
  long _GetMaxZOrderCell() const;
  PubImage::QelPicture* GetCellMask(long i) const;

  int DoMoveOrZoomCell(long i, const SRect32& r);
  int DoPanCellPic(long i, const SRect32& r);
  int DoZoomCellPic(long i, int step);
  int DoFlipCellPic(long i, int dir);
  int DoRotateCellPic(long i, long angle);
  int SetCellAutoCrop(long i, bool on, bool record);
  int DoSwapCell(long a, long b);
  int DoAddCell(long i, CPrintCell* src, bool noCopyAdd, bool keepZOrder);
  int DoDeleteCell(long i);
  int _SetCellZorder(long i, long z);

  // ---- cell pictures: kind 0 thumbnail, 1 display, 2 print; the caller owns one reference ----
  PubImage::QelPicture* _GetCellPic(long i, int kind) const;
  PubImage::QelPicture* GetCellPrintPic(long i) const { return _GetCellPic(i, 2); }
  PubImage::QelPicture* GetCellDispPic(long i);
  void PrepareAllDispData();
  bool IsDispDataPrepared() const { return !dispPics.empty(); }
  void ClearAllDispData() { dispPics.clear(); }

  // ---- the whole page as one picture ----
  // The cells drawn in stacking order over white paper, at `size` for the
  // paper; `original` draws from the full originals (printing quality)
  // instead of the display pictures. Null when the size is refused, the
  // paper size is unknown or `progress` answered 0. The caller owns it.
  PubImage::QelPicture* GetPagePic(SIZE size, bool original, bool withMasks, PAGEPICPROC progress,
                                   void* context) const;
  PubImage::QelPicture* GetThumb(long w, long h);
  PubImage::QelPicture* GetThumb2(long w, long h) const;

  // ---- texts ----
  int BeginEditText(bool addNew, CMyTextInfo* out);
  int EditText(const CMyTextInfo& t);
  int EndEditText(bool cancel, CMyTextInfo* out);
  bool IsEditingText() const { return editingText; }
  long DoAddText(long res);
  int DoDeleteTxt(long i);

  // ---- undo records ----
  void ClearUndoRedo();
  bool IsImgInUndoList(unsigned long res) const;
  size_t GetUndoCount() const { return undoList.size(); }

 private:
  bool Valid(long i) const { return i >= 0 && i < long(cells.size()); }
  void Changed(long kind, long i);
  void _CreatePageThumb(SIZE s);
  int _DoAddText(const CMyTextInfo& t);
  int _DoUpdateText(long i, const CMyTextInfo& t);
  void _AddUndoNode(CURNode& n);
  void _ClearRedo();
  void _ClearUndo();
  static void FreeNode(CURNode& n);

  std::vector<PubImage::QelPicture*> dispPics;
  long activeCell = 0;
  std::vector<CPrintCell*> cells;
  CTemplate* pageTemplate = nullptr;
  SIZE paperSize{0, 0};
  bool freeLayout;
  CPrintProject* project;
  bool addingNewText = false, editingText = false;
  long activeBeforeEdit = -1;
  unsigned long cellCountAtEdit = 0;
  CMyTextInfo editText;
  CPrintCell editBackupCell;
  PubImage::QelPicture* pageThumb = nullptr;
  std::list<CURNode> undoList, redoList;
};
