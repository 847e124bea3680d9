// The main window's frame: its own window definition cuts the two top
// corners by the corner masks "MainWndLT.bmp" and "MainWndRT.bmp" (black is
// the window's part, so what the mask leaves white is cut away), and the
// shape follows every change of size. The masks' paths are also kept as the
// window's 'QELA'/'CORW' property, as the dialogs' window definition reads.
#include <algorithm>

#include "MainFuncs.h"
#include "MyMainFrame.h"
#include "qel/QelWideText.h"

namespace MainFrameDef {

intptr_t myWindowDef(int16_t, WindowRef window, int16_t message, intptr_t parameter) {
  switch (message) {
    case 7:  // features
      if (parameter) *reinterpret_cast<uint32_t*>(parameter) = 0x40000016u;
      return 1;
    case 1:  // hit test: all content
      return 1;
    case 8: {  // region
      auto* request = reinterpret_cast<CornerRegionRequest*>(parameter);
      if (!request || !request->region || (request->regionCode != 32 && request->regionCode != 33)) return 0;
      CQelWindow* w = CQelWindow::FetchQelWindow(window);
      if (!w) return 0;
      SRect32 b;
      w->GetWindowRect(&b);
      // The definition loads the two pictures itself, from the bundle.
      WCHAR paths[2][kCornerPathUnits] = {};
      GetCornerPath(paths);
      CornerMaskTable table;
      table.path[0] = paths[0];
      table.path[1] = paths[1];
      *request->region = CornerWindowShape(table, b.right - b.left, b.bottom - b.top, CornerMaskSense::kBlackIsWindow);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace MainFrameDef

int32_t CMyMainFrame::PreCreateWind(QelCreateStruct* cs) {
  CQelMainWind::PreCreateWind(cs);
  // The main window stays a document window (a class below 5 would count
  // as a modal window in front); only its frame is its own.
  if (cs) cs->windowDef = reinterpret_cast<void*>(&MainFrameDef::myWindowDef);
  return QEL_S_OK;
}

void CMyMainFrame::AttachCornerPaths() {
  WCHAR paths[2][kCornerPathUnits] = {};
  GetCornerPath(paths);
  for (auto& p : m_cornerMasks.path) p.clear();
  m_cornerMasks.path[0] = paths[0];
  m_cornerMasks.path[1] = paths[1];
  SetProperty(kCornerPropCreator, kCornerPropTag, &m_cornerMasks);
  SetProperty(kCornerPropCreator, kShapePropTag, &m_shape);
  UpdateShape();
}

void CMyMainFrame::DetachCornerPaths() {
  SetProperty(kCornerPropCreator, kCornerPropTag, nullptr);
  SetProperty(kCornerPropCreator, kShapePropTag, nullptr);
}

void CMyMainFrame::UpdateShape() {
  if (!IsCreated()) return;
  auto def = reinterpret_cast<intptr_t (*)(int16_t, WindowRef, int16_t, intptr_t)>(CreateStruct().windowDef);
  if (!def) return;
  std::vector<SRect32> shape;
  CornerRegionRequest request{32, &shape};
  def(0, GetWindowRef(), 8, reinterpret_cast<intptr_t>(&request));
  // A maximised window meets the screen's edges: its corners stay square.
  if (IsMaximized()) shape.clear();
  auto same = [](const SRect32& a, const SRect32& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  };
  if (std::equal(shape.begin(), shape.end(), m_shape.begin(), m_shape.end(), same)) return;
  m_shape = shape;
  Invalidate();  // the backend takes the new shape with the repaint
}
