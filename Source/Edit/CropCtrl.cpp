#include "CropCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ORVPubTools.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace {

constexpr const char* kAreas[4] = {"cata_CropLeft", "cata_PosLeft", "cata_PosRight", "cata_CropRight"};
constexpr const char* kHandles[3] = {"butn_CropLeft", "butn_Pos", "butn_CropRight"};
constexpr int32_t kEventMove = 0x40000001, kEventDown = 0x40000002, kEventUp = 0x40000003;
constexpr int32_t kEventRepeat = 16;
constexpr int32_t kCursorSizeWE = 7;

int32_t EventX(QELLPARAM packed) { return qel::Element::PointerPoint(packed).x; }

}  // namespace

int32_t CCropCtrl::Init(WindowRef window, PubQelmar::QelPanel* panel, ICropCtrlCallback* callback, int32_t step,
                        uint32_t flags) {
  m_hWindow = window;
  m_pPanel = panel ? qel::Element::From(panel->Handle()) : nullptr;
  m_pCallback = callback;
  m_nStep = step;
  m_nFlags = flags;
  if (!m_pPanel) return 0;
  for (const char* name : {kHandles[0], kHandles[2]}) {
    if (qel::Element* e = m_pPanel->FindByName(name, true)) e->SetCursorId(kCursorSizeWE);
  }
  RegisterCallBacks();
  SetData(0, 0, 0, 0);
  return 1;
}

void CCropCtrl::RegisterCallBacks() {
  if (!m_pPanel) return;
  for (const char* name : kHandles) {
    if (qel::Element* e = m_pPanel->FindByName(name, true)) {
      e->SetCallback(&CCropCtrl::Drag_Proc, this);
      e->SetPointerEvents(true);
    }
  }
  for (const char* name : {"butn_Left", "butn_Right"}) {
    if (qel::Element* e = m_pPanel->FindByName(name, true)) {
      e->SetCallback(&CCropCtrl::Step_Proc, this);
      e->SetPointerEvents(true);
    }
  }
  for (const char* name : {kAreas[1], kAreas[2]}) {
    if (qel::Element* e = m_pPanel->FindByName(name, true)) {
      e->SetCallback(&CCropCtrl::Range_Proc, this);
      e->SetPointerEvents(true);
    }
  }
}

void CCropCtrl::ReleaseCallBacks() {
  if (!m_pPanel) return;
  for (const char* name : {"butn_Left", "butn_CropLeft", "butn_Pos", "butn_CropRight", "butn_Right", kAreas[1], kAreas[2]}) {
    if (qel::Element* e = m_pPanel->FindByName(name, true)) e->SetCallback(nullptr, nullptr);
  }
}

qel::Element* CCropCtrl::Area(int32_t i) const { return m_pPanel ? m_pPanel->FindByName(kAreas[i], true) : nullptr; }

void CCropCtrl::Widths(int32_t out[4]) const {
  for (int32_t i = 0; i < 4; ++i) {
    qel::Element* e = Area(i);
    out[i] = e ? e->FrameSize().cx : 0;
  }
}

int32_t CCropCtrl::Total() const {
  int32_t w[4];
  Widths(w);
  // The strip's room once laid out (it follows the window), else the areas'.
  if (qel::Element* strip = m_pPanel ? m_pPanel->FindByName("cata_cutstrip", true) : nullptr) {
    int32_t room = strip->LaidOutSize().cx;
    for (const char* name : kHandles) {
      if (qel::Element* e = strip->FindByName(name, true)) room -= e->FrameSize().cx;
    }
    if (room > 0) return room;
  }
  return w[0] + w[1] + w[2] + w[3];
}

void CCropCtrl::SetWidths(const int32_t w[4]) {
  for (int32_t i = 0; i < 4; ++i) {
    if (qel::Element* e = Area(i)) e->SetFrameSize(SIZE{std::max(w[i], 0), e->FrameSize().cy});
  }
  if (m_pPanel) m_pPanel->MarkLayoutDirty();
}

int32_t CCropCtrl::SetData(int32_t duration, int32_t position, int32_t start, int32_t end) {
  m_nDuration = duration;
  m_nRoom = Total();
  const int64_t T = m_nRoom;
  int32_t w[4] = {0, 0, int32_t(T), 0};
  if (duration > 0) {
    const long double d = duration;
    w[0] = int32_t(int64_t(start) * T / d);
    w[3] = int32_t(int64_t(duration - end) * T / d);
    w[1] = int32_t(int64_t(position - start) * T / d);
    w[2] = int32_t(T - (w[1] + w[0] + w[3]));
    if (end <= position) {
      w[2] = 0;
      w[1] = int32_t(T - (w[0] + w[3]));
    }
  }
  SetWidths(w);
  return 1;
}

int32_t CCropCtrl::GetData(int32_t* position, int32_t* start, int32_t* end) const {
  if (!position && !start && !end) return 0;
  int32_t w[4];
  Widths(w);
  const float T = float(w[0]) + float(w[1]) + float(w[2]) + float(w[3]);
  int32_t s = 0, e = m_nDuration, p = 0;
  if (T != 0) {
    s = int32_t(float(w[0]) * float(m_nDuration) / T);
    e = std::max(int32_t(float(m_nDuration) - float(w[3]) * float(m_nDuration) / T), 0);
    p = int32_t(float(int64_t(w[0] + w[1]) * m_nDuration) / T);
  }
  if (position) *position = p;
  if (start) *start = s;
  if (end) *end = e;
  return 1;
}

void CCropCtrl::Notify(int32_t which, int32_t final) {
  int32_t p = 0, s = 0, e = 0;
  GetData(&p, &s, &e);
  if (m_pCallback) {
    if (which == kPos) m_pCallback->CropPositionChanged(p, final);
    else if (which == kLeft) m_pCallback->CropLeftChanged(s, final);
    else m_pCallback->CropRightChanged(e, final);
  }
  m_bNotified = 1;
}

void CCropCtrl::OnDrag(int32_t which, int32_t event, int32_t x) {
  if (event == kEventDown) {
    m_bDragging = 1;
    m_bNotified = 0;
    m_nDragStartX = x;
    Widths(m_startWidths);
    return;
  }
  if ((event != kEventMove && event != kEventUp) || !m_bDragging) return;
  m_bDragging = event == kEventMove;
  const bool ended = !m_bDragging;
  const int32_t dx = x - m_nDragStartX;
  int32_t w[4];
  std::memcpy(w, m_startWidths, sizeof w);
  int32_t changedArea = 1;
  if (which == kPos) {
    const int32_t limit = w[1] + w[2];
    w[1] = std::clamp(w[1] + dx, 0, limit);
    w[2] = limit - w[1];
  } else if (which == kRight && (m_nFlags & kFollowPosition)) {
    const int32_t limit = w[3] + w[1] + w[2];
    w[3] = std::clamp(w[3] - dx, 0, limit);
    w[2] = 0;
    w[1] = limit - w[3];
    changedArea = 3;
  } else if (which == kLeft && (m_nFlags & kFollowPosition)) {
    const int32_t limit = w[0] + w[1] + w[2];
    w[0] = std::clamp(w[0] + dx, 0, limit);
    w[1] = 0;
    w[2] = limit - w[0];
    changedArea = 0;
  }
  int32_t now[4];
  Widths(now);
  const bool changed = w[changedArea] != now[changedArea];
  if (changed) SetWidths(w);
  if (!changed && !(ended && m_bNotified)) return;
  Notify(which, ended ? 1 : 0);
  if (which != kPos && (m_nFlags & kFollowPosition)) Notify(kPos, ended ? 1 : 0);
}

bool CCropCtrl::AddPos(bool forward, int32_t final) {
  int32_t w[4];
  Widths(w);
  const int32_t T = w[0] + w[1] + w[2] + w[3];
  const int32_t before = w[1];
  const int32_t limit = w[1] + w[2];
  if (m_nDuration > 0) {
    const double px = std::max(double(m_nStep) * T / m_nDuration, 1.0);
    w[1] = std::clamp(int32_t(w[1] + (forward ? px : -px)), 0, limit);
  } else {
    w[1] = 0;
  }
  w[2] = limit - w[1];
  const bool changed = w[1] != before;
  if (changed || (final && m_bNotified)) {
    SetWidths(w);
    Notify(kPos, final);
  }
  return changed;
}

void CCropCtrl::OnStep(bool forward, int32_t event, bool inside) {
  qel::Element* button = m_pPanel ? m_pPanel->FindByName(forward ? "butn_Right" : "butn_Left", true) : nullptr;
  switch (event) {
    case kEventDown:
      m_bDragging = 1;
      m_bFirstRepeat = 1;
      m_bInside = 1;
      m_bNotified = 0;
      if (button) button->StartRepeat(1000);
      AddPos(forward, 0);
      break;
    case kEventMove:
      if (!m_bDragging) break;
      if (inside && !m_bInside) {
        if (button) button->StartRepeat(100);
        m_bFirstRepeat = 0;
      } else if (!inside && m_bInside && button) {
        button->StopRepeat();
      }
      m_bInside = inside;
      break;
    case kEventRepeat:
      if (!m_bDragging) break;
      AddPos(forward, 0);
      if (m_bFirstRepeat && button) button->StartRepeat(100);
      m_bFirstRepeat = 0;
      break;
    case kEventUp:
      m_bDragging = 0;
      m_bInside = 1;
      if (button) button->StopRepeat();
      if (m_bNotified) Notify(kPos, 1);
      m_bNotified = 0;
      break;
    default:
      break;
  }
}

void CCropCtrl::OnClickInRange(int32_t x) {
  qel::Element* head = Area(1);
  if (!head) return;
  int32_t w[4];
  Widths(w);
  const int32_t limit = w[1] + w[2];
  const int32_t before = w[1];
  w[1] = std::clamp(x - head->Position().x, 0, limit);
  w[2] = limit - w[1];
  if (w[1] == before) return;
  SetWidths(w);
  Notify(kPos, 1);
}

int32_t CCropCtrl::Drag_Proc(QelObject element, int32_t event, QELLPARAM l, void* data) {
  auto* self = static_cast<CCropCtrl*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  const int32_t which = e->Name() == kHandles[0] ? kLeft : e->Name() == kHandles[1] ? kPos : kRight;
  self->OnDrag(which, event, EventX(l));
  return 0;
}

int32_t CCropCtrl::Step_Proc(QelObject element, int32_t event, QELLPARAM l, void* data) {
  auto* self = static_cast<CCropCtrl*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  bool inside = true;
  if (event == kEventMove) {
    const POINT pt = qel::Element::PointerPoint(l);
    const POINT at = e->Position();
    const SIZE size = e->LaidOutSize();
    inside = pt.x >= at.x && pt.x < at.x + size.cx && pt.y >= at.y && pt.y < at.y + size.cy;
  }
  self->OnStep(e->Name() == "butn_Right", event, inside);
  return 0;
}

int32_t CCropCtrl::Range_Proc(QelObject, int32_t event, QELLPARAM l, void* data) {
  auto* self = static_cast<CCropCtrl*>(data);
  if (self && event == kEventDown) self->OnClickInRange(EventX(l));
  return 0;
}
