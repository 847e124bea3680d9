// The frame of the plug-ins' dialogs: rounded top corners cut by the masks
// "MainWndLT.bmp" and "MainWndRT.bmp" of the main bundle's resources.
#include "DlgWarning.h"

namespace DlgWarningDef {

namespace {

std::vector<SRect32> Shape(const CornerMaskTable& table, int32_t width, int32_t height) {
  std::vector<SRect32> cuts;
  for (int corner = 0; corner < 4; ++corner) {
    if (table.path[size_t(corner)].empty()) continue;
    std::optional<ORVRegion> region = CreateRgnFromFile(table.path[size_t(corner)]);
    if (!region) continue;
    // Top corners: what the mask leaves out is cut; bottom ones: the mask itself.
    ORVRegion cut = corner < 2 ? ComplementInBounds(*region) : *region;
    ORVRegion placed = PlaceAtCorner(cut, corner, width, height);
    cuts.insert(cuts.end(), placed.rects.begin(), placed.rects.end());
  }
  return SubtractRects(SRect32{0, 0, width, height}, cuts);
}

}  // namespace

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
      const int32_t width = b.right - b.left, height = b.bottom - b.top;
      auto* table = static_cast<CornerMaskTable*>(w->GetProperty(kCornerPropCreator, kCornerPropTag));
      *request->region = table ? Shape(*table, width, height) : SubtractRects(SRect32{0, 0, width, height}, {});
      return 0;
    }
    default:
      return 0;
  }
}

void AttachRoundedFrame(CQelWindow* window, CornerMaskTable& corners, std::vector<SRect32>& shape) {
  if (!window) return;
  for (auto& p : corners.path) p.clear();
  corners.path[0] = vGetWarningResource(u"MainWndLT.bmp").c_str();
  corners.path[1] = vGetWarningResource(u"MainWndRT.bmp").c_str();
  window->SetProperty(kCornerPropCreator, kCornerPropTag, &corners);
  window->SetProperty(kCornerPropCreator, kShapePropTag, &shape);
  UpdateShape(window, shape);
}

void UpdateShape(CQelWindow* window, std::vector<SRect32>& shape) {
  if (!window || !window->IsCreated()) return;
  CornerRegionRequest request{32, &shape};
  myWindowDef(0, window->GetWindowRef(), 8, reinterpret_cast<intptr_t>(&request));
  window->Invalidate();
}

void DetachRoundedFrame(CQelWindow* window) {
  if (!window || !window->IsCreated()) return;
  window->SetProperty(kCornerPropCreator, kCornerPropTag, nullptr);
  window->SetProperty(kCornerPropCreator, kShapePropTag, nullptr);
}

}  // namespace DlgWarningDef
