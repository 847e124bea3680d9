#pragma once
// The plug-ins' own warning and question dialogs (not the system alert):
// CDlgWarning, shown through vMessageBox / vMessageBox2 / vMessageBox3, and
// CDlgWarningWithCheck, a warning with a "do not show again" box. Both load
// their layouts from the main bundle's "UI" folder and have a frame with
// rounded top corners.
//
// Answers: Yes, OK and Return give 0; No, Cancel and Escape give 1;
// vMessageBox3 gives 2 when Cancel or Escape ended it. A dialog that could
// not be shown answers the negative button (1, or 2 for vMessageBox3) and
// logs why: a caller must never act as if the user had agreed.
#include <cstdint>
#include <string>

#include "CQelStringW.h"
#include "CornerRegion.h"
#include "qel/QelWindow.h"

// Button sets of CDlgWarning (low four bits of the flags).
enum : uint32_t {
  kWarnOK = 0,            // butn_OK
  kWarnOKCancel = 1,      // butn_OK, butn_Cancel
  kWarnYesNoCancel = 3,   // butn_Yes, butn_No, butn_Cancel
  kWarnYesNo = 4,         // butn_Yes, butn_No
};

class CDlgWarning : public CQelDialog {
 public:
  // textStyle 1 shows the element "TextInfo" beside the message, 0
  // "TextBox"; defaultIsCancel makes Return answer Cancel.
  CDlgWarning(uint32_t flags, const WCHAR* text, int32_t textStyle, WindowRef parent, int32_t defaultIsCancel);
  ~CDlgWarning() override;

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  // Grows the window to the message, then runs it; the answer. A window
  // with no size does not run and answers Cancel.
  int32_t DoModal() override;

  // Cancel (the button or Escape) ended the dialog.
  int32_t IsCancel() const { return m_bCancel; }

 private:
  static int32_t YesProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t NoProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OkProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t CancelProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  int32_t YesProc(QelObject element, QELLPARAM param);
  int32_t NoProc(QelObject element, QELLPARAM param);
  int32_t OkProc(QelObject element, QELLPARAM param);
  int32_t CancelProc(QelObject element, QELLPARAM param);
  void OnKeyDown(uint32_t key, bool& handled);

  WindowRef m_parent;
  uint32_t m_flags;
  std::u16string m_text;
  int32_t m_bDefaultCancel;
  int32_t m_textStyle;
  int32_t m_contentHeight = 0;
  int32_t m_minContentHeight = 0;
  double m_dRatio = 1.0;
  CornerMaskTable m_corners;
  std::vector<SRect32> m_shape;
  int32_t m_bCancel = 0;
};

class CDlgWarningWithCheck : public CQelDialog {
 public:
  // The third argument is not used; okOnly shows "butn_Ok" in place of
  // "butn_Continue" and "butn_Cancel". The caller creates the dialog from
  // its layout, runs DoModal and, on 0, asks ShowAgain.
  CDlgWarningWithCheck(WindowRef parent, const WCHAR* text, int32_t unused, int32_t okOnly);
  ~CDlgWarningWithCheck() override;

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  int32_t DoModal() override;

  // True while "chck_NotShowAgain" is not ticked.
  bool ShowAgain() const { return m_nCheck == 0; }

 private:
  static int32_t OnContinueProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnNotShowAgainProc_Proc(QelObject element, int32_t event, QELLPARAM param, void* data);
  int32_t OnContinueProc(QelObject element, QELLPARAM param);
  int32_t OnNotShowAgainProc(QelObject element, QELLPARAM param);

  std::u16string m_text;
  int32_t m_contentHeight = 0;
  int32_t m_minContentHeight = 0;
  int32_t m_bOkOnly;
  double m_dRatio = 1.0;
  int32_t m_nCheck = 0;
  CornerMaskTable m_corners;
  std::vector<SRect32> m_shape;
};

int32_t vMessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags);
// As vMessageBox, with the "TextInfo" style and over the parent.
int32_t vMessageBox2(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags);
// As vMessageBox2; 2 when Cancel or Escape ended it.
int32_t vMessageBox3(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags);

// "$M\" (when withRoot) and the path of `name` in the main bundle's
// Contents/UI folder; empty when there is no main bundle.
CQelStringW vGetWarningUI(const WCHAR* name, int32_t withRoot);
// The path of `name` in the main bundle's Contents/Resources folder.
CQelStringW vGetWarningResource(const WCHAR* name);

// The window definition of these dialogs and of the plug-ins' dialog base:
// messages 7 (features: 0x40000016 into *(uint32_t*)parameter, answers 1),
// 1 (hit test: answers 1), 8 (region codes 32 and 33, parameter a
// CornerRegionRequest*: the window's rectangle minus the cut part of the
// top corner masks of its 'QELA'/'CORW' table; answers 0); others 0.
namespace DlgWarningDef {
intptr_t myWindowDef(int16_t variant, WindowRef window, int16_t message, intptr_t parameter);
// Fills the two top corner paths from the main bundle's resources, hangs the
// table and the shape on the window and computes the shape: what the
// dialogs do when their window is made.
void AttachRoundedFrame(CQelWindow* window, CornerMaskTable& corners, std::vector<SRect32>& shape);
// Recomputes the shape for the window's current size.
void UpdateShape(CQelWindow* window, std::vector<SRect32>& shape);
// Takes the table and the shape off the window again.
void DetachRoundedFrame(CQelWindow* window);
}  // namespace DlgWarningDef
