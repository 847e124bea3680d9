#pragma once
// The interactive preview of the project's current page: the paper at a zoom
// step or fitted to the element, the page drawn by the same renderer that
// prints it, the cells' frames, the copy buttons of the selected picture,
// attention marks on pictures too small for their cell, and the mouse
// drags that scroll the paper, swap cells, move and resize free cells and
// pan a zoomed picture. Drags are driven by the toolkit's pointer events
// (see PreviewDrag.h); nothing loops on its own.
#include <cstdint>
#include <string>

#include "PreviewDrag.h"
#include "qel/QelElement.h"

class CPrintPage;
class CPrintProject;
class CPreviewView;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class CPrintPreview {
 public:
  static const double s_zoomValues[];
  static const int s_zoomNum;

  CPrintPreview(CPrintProject* project, qel::Element* element);
  CPrintPreview(const CPrintPreview&) = delete;
  CPrintPreview& operator=(const CPrintPreview&) = delete;
  virtual ~CPrintPreview();

  void InitSubUIs(const std::u16string& folder);
  void ShowPage(CPrintPage* page);
  CPrintPage* GetPage() const { return m_pPage; }
  // Places the paper and the copy buttons for the element's current size.
  int OnLayout();

  // ---- zoom ----
  int _SetZoom(double z);
  int SetZoom(double z);
  int DoZoom(long direction);
  void GetZoomState(bool& canZoomIn, bool& canZoomOut, bool& notFit) const;
  double GetZoom() const { return m_dZoom; }
  bool IsFit() const { return m_bFitZoom; }

  // ---- selection and page changes ----
  void SetActive(long cell);
  long GetActive() const { return m_nActiveCell; }
  void PageChanged();  // the shown page changed: draw it again
  void UpdateCopyBtn();
  void PrinterMarginChanged() { PageChanged(); }
  void SetInteractive(bool on) { m_bInteractive = on; }
  bool IsInteractive() const { return m_bInteractive; }

  // ---- geometry, window coordinates ----
  // The paper as drawn; empty without a page.
  SRect32 PaperRect() const;
  // A page rectangle (device pixels of the page) as drawn on the screen.
  SRect32 PageToWindow(const SRect32& r) const;
  // A window rectangle back to page pixels.
  SRect32 WindowToPage(const SRect32& r) const;
  // The cell's rectangle on the screen (empty for a bad index).
  SRect32 CellRect(long cell) const;
  // Topmost cell at a window point (larger zOrder wins, then lower index).
  long CellAt(POINT p) const;
  // The copy buttons' panel and the element hosting the paper.
  qel::Element* CopyPanel() const { return m_pCopyPanel; }
  qel::Element* View() const;
  int32_t ScrollX() const { return m_nScrollX; }
  int32_t ScrollY() const { return m_nScrollY; }
  void ScrollBy(int32_t dx, int32_t dy);

  // ---- pointer and keys (from the view element) ----
  bool OnPointer(const qel::PointerInput& in);
  bool OnKey(uint32_t key, bool down);
  CPreviewDrag& Drag() { return m_drag; }

  // ---- painting (the view element calls it) ----
  void Paint(cairo_t* cr);

  CPrintProject* Project() const { return m_pProject; }

 private:
  friend class CPreviewDrag;
  void ClearRendering();
  bool Render();  // the page at the shown size into the cache
  // The page drawn with one cell changed for the duration of the drag.
  void RenderOverride(long cell, const SRect32* picRect, bool hide);
  void LayoutCopyBtns();
  void Invalidate();
  static int32_t s_CallBack(QelObject element, int32_t event, QELLPARAM data, void* preview);
  int32_t CallBack(qel::Element* element, int32_t event, QELLPARAM data);

  CPrintProject* m_pProject;
  qel::Element* m_pElement;           // the control's own element
  CPreviewView* m_pView = nullptr;    // "cata_printpreview1", fills the element
  CPrintPage* m_pPage = nullptr;
  long m_nActiveCell = -1;
  bool m_bInteractive = true;
  double m_dZoom = 1.0;
  bool m_bFitZoom = true;
  int32_t m_nScrollX = 0, m_nScrollY = 0;
  SIZE m_szShown{0, 0};   // the paper as drawn, in screen pixels
  SIZE m_szPaper{0, 0};   // the paper in device pixels
  // Copy buttons: a panel with add, count and subtract.
  qel::Element* m_pCopyPanel = nullptr;
  qel::Element* m_pCopyAdd = nullptr;
  qel::Element* m_pCopySub = nullptr;
  qel::Element* m_pCopyNum = nullptr;
  long m_nCopyCell = -1;
  // The rendered page at m_szShown, and whether it must be drawn again.
  cairo_surface_t* m_pSurface = nullptr;
  bool m_bDirty = true;
  CPreviewDrag m_drag;
};
