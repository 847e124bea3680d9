#include "DlgBase.h"

#include <cstdio>

#include "WindowOnScreen.h"
#include "ORVPubTools.h"
#include "WinShims.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace Orvenna {

CDlgBase::CDlgBase(int32_t corners) : m_bCorners(corners) {
  RegisterMessage(QEL_WM_KEYDOWN, [this](QELWPARAM wp, QELLPARAM lp, bool& handled) { return OnKeyDown(wp, lp, handled); });
  RegisterMessage(QEL_WM_SIZE, [this](QELWPARAM wp, QELLPARAM lp, bool& handled) { return OnResizeWnd(wp, lp, handled); });
}

CDlgBase::~CDlgBase() {
  // The window must not keep pointers into this object once it goes.
  if (IsCreated()) {
    SetProperty(kCornerPropCreator, kCornerPropTag, nullptr);
    SetProperty(kCornerPropCreator, kShapePropTag, nullptr);
  }
}

intptr_t CDlgBase::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  // The message map holds this base's handlers; the framework sees the rest.
  return CQelDialog::ProcessMessage(msg, wp, lp, handled);
}

int32_t CDlgBase::Create(const WCHAR* layout, SRect32* rect, WindowRef parent) {
  if (!layout) return 0;
  // The framework's own 8-bit form takes UTF-8 (this class's takes Mac Roman).
  return CQelDialog::Create(QelToUTF8(layout).c_str(), rect, parent);
}

int32_t CDlgBase::Create(const char* layout, SRect32* rect, WindowRef parent) {
  if (!layout) return 0;
  WCHAR wide[kLayoutUnits] = {};
  if (MultiByteToWideChar(1, 0, layout, -1, wide, int32_t(kLayoutUnits)) == 0) {
    std::fprintf(stderr, "dialog: the layout path is longer than %zu characters\n", kLayoutUnits - 1);
    return 0;
  }
  return CDlgBase::Create(wide, rect, parent);
}

int32_t CDlgBase::PreCreateWind(QelCreateStruct* cs) {
  CQelDialog::PreCreateWind(cs);
  if (cs) {
    cs->windowClass = 0;
    cs->windowDef = reinterpret_cast<void*>(&CornerMessageBoxDef::myWindowDef);
    cs->defValue = 4;
  }
  return QEL_S_OK;
}

int32_t CDlgBase::DidCreate() {
  CQelDialog::DidCreate();
  if (m_bCorners) {
    for (auto& p : m_corners.path) p.clear();
    m_corners.path[0] = CORVPubTools::GetBundleResourcePathWithName(nullptr, u"MainWndLT.bmp").c_str();
    m_corners.path[1] = CORVPubTools::GetBundleResourcePathWithName(nullptr, u"MainWndRT.bmp").c_str();
    SetProperty(kCornerPropCreator, kCornerPropTag, &m_corners);
    SetProperty(kCornerPropCreator, kShapePropTag, &m_shape);
    UpdateShape();
  }
  SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("view_title_mac", QEL_FRAME_DRAG);
  SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  return QEL_S_OK;
}

void CDlgBase::DidClose() {
  SetProperty(kCornerPropCreator, kCornerPropTag, nullptr);
  SetProperty(kCornerPropCreator, kShapePropTag, nullptr);
  CQelDialog::DidClose();
}

void CDlgBase::UpdateShape() {
  if (!m_bCorners || !IsCreated()) return;
  CornerRegionRequest request{32, &m_shape};
  CornerMessageBoxDef::myWindowDef(0, GetWindowRef(), 8, reinterpret_cast<intptr_t>(&request));
  Invalidate();  // the backend takes the new shape with the repaint
}

intptr_t CDlgBase::OnKeyDown(QELWPARAM key, QELLPARAM, bool& handled) {
  if (key == QEL_KEY_RETURN || key == QEL_KEY_ENTER) {
    handled = true;
    OnQelOK();
  } else if (key == QEL_KEY_ESCAPE) {
    handled = true;
    OnQelCancel();
  }
  return 0;
}

intptr_t CDlgBase::OnResizeWnd(QELWPARAM, QELLPARAM, bool&) {
  KeepWindowOnScreen(this);
  UpdateShape();
  return 0;
}

}  // namespace Orvenna
