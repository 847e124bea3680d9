#pragma once
// The trim bar of the movie editor: a left handle (trim start), a play-head
// and a right handle (trim end) between four areas laid side by side, two
// step buttons, and a click in the kept range to jump there. The positions
// are the areas' widths; times are worked out from them and the duration.
#include <cstdint>

#include "PubQelmar.h"

namespace qel {
class Element;
}

class ICropCtrlCallback {
 public:
  virtual void CropPositionChanged(int32_t time, int32_t final) = 0;
  virtual void CropLeftChanged(int32_t time, int32_t final) = 0;
  virtual void CropRightChanged(int32_t time, int32_t final) = 0;
  virtual ~ICropCtrlCallback() = default;
};

class CCropCtrl {
 public:
  enum Which : int32_t { kLeft = 0, kPos = 1, kRight = 2 };
  static constexpr uint32_t kFollowPosition = 1;

  // 0 without a panel.
  int32_t Init(WindowRef window, PubQelmar::QelPanel* panel, ICropCtrlCallback* callback, int32_t step, uint32_t flags);
  void RegisterCallBacks();
  void ReleaseCallBacks();
  int32_t SetData(int32_t duration, int32_t position, int32_t start, int32_t end);
  int32_t GetData(int32_t* position, int32_t* start, int32_t* end) const;

  // Gestures, in window coordinates (the element callbacks call them).
  void OnDrag(int32_t which, int32_t event, int32_t x);
  void OnStep(bool forward, int32_t event, bool inside);
  void OnClickInRange(int32_t x);

  // The four widths, head to tail.
  void Widths(int32_t out[4]) const;
  // The strip's room differs from the one the widths were worked out for
  // (the window was resized): the caller sets the data again.
  bool RoomChanged() const { return m_pPanel && !m_bDragging && Total() != m_nRoom; }

 private:
  qel::Element* Area(int32_t i) const;
  void SetWidths(const int32_t w[4]);
  int32_t Total() const;
  void Notify(int32_t which, int32_t final);
  bool AddPos(bool forward, int32_t final);
  static int32_t Drag_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t Step_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t Range_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);

  WindowRef m_hWindow = nullptr;
  qel::Element* m_pPanel = nullptr;
  ICropCtrlCallback* m_pCallback = nullptr;
  int32_t m_nStep = 100;
  uint32_t m_nFlags = 0;
  int32_t m_nDuration = 0;
  int32_t m_nRoom = 0;  // Total() when the widths were last set from times
  int32_t m_nDragStartX = 0;
  int32_t m_bDragging = 0;
  int32_t m_bNotified = 0;
  int32_t m_startWidths[4] = {};
  int32_t m_bFirstRepeat = 0;
  int32_t m_bInside = 0;
};
