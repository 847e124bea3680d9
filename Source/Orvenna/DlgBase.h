#pragma once
// The base of the main program's modal dialogs: the program's own frame
// (rounded top corners cut by the corner masks, a drag area, a title and a
// close button drawn by the layout), Return / Enter for OK and Escape for
// Cancel, and a window that stays within reach on the screen. Its Create
// takes the layout path exactly as given.
//
// It lives in the program's namespace: the plug-ins' dialog base of the
// common library has the same name.
#include <cstdint>
#include <vector>

#include "CornerRegion.h"
#include "qel/QelWindow.h"

namespace Orvenna {

class CDlgBase : public CQelDialog {
 public:
  static constexpr size_t kLayoutUnits = 1024;

  // corners: whether the frame gets the rounded top corners.
  explicit CDlgBase(int32_t corners);
  ~CDlgBase() override;

  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // The toolkit path as given ("$app\UI\options.aui").
  int32_t Create(const WCHAR* layout, SRect32* rect, WindowRef parent) override;
  // The same from Mac Roman text (at most 1023 characters).
  int32_t Create(const char* layout, SRect32* rect, WindowRef parent) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  void DidClose() override;

  bool HasCorners() const { return m_bCorners != 0; }
  const std::vector<SRect32>& Shape() const { return m_shape; }

 protected:
  // Return / Enter: OK; Escape: Cancel (both handled); other keys are not.
  intptr_t OnKeyDown(QELWPARAM key, QELLPARAM lp, bool& handled);
  // Message 5: keeps the window within reach, and its shape with it.
  intptr_t OnResizeWnd(QELWPARAM wp, QELLPARAM lp, bool& handled);
  void UpdateShape();

  int32_t m_bCorners;
  int32_t m_nReserved = 0;
  // Top-left and top-right mask paths (the bottom two stay empty).
  CornerMaskTable m_corners;
  std::vector<SRect32> m_shape;
};

}  // namespace Orvenna
