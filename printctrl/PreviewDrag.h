#pragma once
// The preview's drags as a state machine fed by pointer events: a press
// chooses the drag (scroll the paper, swap two cells, move or resize a
// free cell, pan a zoomed picture), moves update it, the release commits
// one page action, and Escape, a lost focus or a cancelled press end it
// with nothing changed. The machine keeps no pointer into the page between
// events that it does not check again (the page may have gone meanwhile).
#include <cstdint>

#include "qel/QelTypes.h"

class CPrintPreview;
class CPrintPage;

class CPreviewDrag {
 public:
  enum Kind : int32_t { kNone, kPaper, kSwap, kFree, kPan };
  // Spots of a free cell: its body or one of its corners.
  enum Spot : int32_t { kBody = 0, kTopLeft = 1, kTopRight = 2, kBottomLeft = 3, kBottomRight = 4, kNowhere = 5 };

  explicit CPreviewDrag(CPrintPreview* owner) : m_owner(owner) {}

  // Pointer events in window coordinates. Begin answers whether a drag
  // started (a click that starts none changes only the selection).
  bool Begin(Kind kind, long cell, POINT at);
  void Move(POINT at);
  void End(POINT at);
  void Cancel();
  // Ends a drag without a word to anyone (the preview is going).
  void Forget() { Reset(); }

  Kind kind() const { return m_kind; }
  long cell() const { return m_cell; }
  long target() const { return m_target; }
  const SRect32& rect() const { return m_rect; }    // free drag: the cell as dragged (window)
  const SRect32& picRect() const { return m_pic; }  // pan: the picture part shown now
  // Which corner or body of a free cell's window rectangle a point is on.
  static Spot SpotOf(const SRect32& cell, POINT p);

 private:
  void MoveFree(POINT at);
  void MovePan(POINT at);
  void Reset();
  CPrintPage* LivePage() const;

  CPrintPreview* m_owner;
  Kind m_kind = kNone;
  CPrintPage* m_page = nullptr;  // compared with the shown page, never used unchecked
  long m_cell = -1;
  long m_target = -1;
  int32_t m_mode = 0;            // free drag: 0 move, 1-4 the corner
  POINT m_start{0, 0}, m_last{0, 0};
  SRect32 m_startRect{0, 0, 0, 0}, m_rect{0, 0, 0, 0};
  SRect32 m_bounds{0, 0, 0, 0}, m_area{0, 0, 0, 0};
  int32_t m_minSize = 48;
  int32_t m_picW = 0, m_picH = 0;  // picture proportions of the free cell
  SRect32 m_pic0{0, 0, 0, 0}, m_pic{0, 0, 0, 0};
};
