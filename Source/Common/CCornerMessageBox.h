#pragma once
// The system's Windows-style message box: a toolkit dialog from the layout
// "messagebox.aui" of the main bundle's localized UI folder, in a window
// whose top corners are cut by the masks "MainWndLT.bmp" / "MainWndRT.bmp".
// Style flags as on Windows: the low four bits choose the buttons, bits 4 to
// 7 the icon. Results: 1 OK, 2 Cancel (also closing or Escape), 6 Yes, 7 No;
// 0 when the box cannot be shown.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "CornerRegion.h"
#include "qel/QelWindow.h"

class CCornerMessageBox : public CQelDialog {
 public:
  static constexpr int kIDOK = 1;
  static constexpr int kIDCANCEL = 2;
  static constexpr int kIDYES = 6;
  static constexpr int kIDNO = 7;

  // Button and icon elements, in their index order.
  static constexpr std::array<const char*, 9> kButtonNames = {
      "butn_Ok",    "butn_Yes",   "butn_No",     "butn_Cancel", "butn_Abort",
      "butn_Retry", "butn_Ignore", "butn_Retry2", "butn_close"};
  static constexpr std::array<const char*, 8> kIconNames = {
      "view_iconEXCLAMATION", "view_iconWARNING", "view_iconINFORMATION", "view_iconASTERISK",
      "view_iconQUESTION",    "view_iconSTOP",    "view_iconERROR",       "view_iconHAND"};

  CCornerMessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags);
  ~CCornerMessageBox() override;

  // Creates the window, fills it and runs it modally; the button code.
  virtual int ShowMessageBox();
  virtual int GetRoundWindow() { return 1; }
  virtual void SetRoundWindow() {}
  // Top-left and top-right masks from the main bundle's resources; the
  // bottom corners stay square.
  virtual void GetWindowCornerMask(CornerMaskTable& table);
  // Buttons, icon, texts and size by the flags; 1, or 0 without a window.
  virtual int InitUI();

  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // Return presses the first button shown (OK or Yes); Escape is Cancel.
  void OnQelOK() override;
  void OnQelCancel() override;

  // The box's size for its text on a screen whose available area is
  // areaWidth x areaHeight: 0.625 of the width (less a side column) when
  // the text fits in height, else 0.875; never narrower than 300. Leaves
  // the tree laid out at that size.
  static SIZE MeasureBox(qel::Element* root, int32_t areaWidth, int32_t areaHeight);

  const std::vector<SRect32>& Shape() const { return m_shape; }
  const CornerMaskTable& CornerMasks() const { return m_cornerMasks; }

 private:
  static int32_t ButtonProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  void Finish(int result);
  void UpdateShape();
  void CentreButtons(int32_t width);

  std::array<qel::Element*, 9> m_buttons{};
  std::array<qel::Element*, 8> m_icons{};
  WindowRef m_parent;
  std::u16string m_text;
  std::u16string m_caption;
  bool m_hasText;
  bool m_hasCaption;
  uint32_t m_flags;
  CornerMaskTable m_cornerMasks;
  std::vector<SRect32> m_shape;
  int m_result = kIDCANCEL;
};
