#pragma once
// The base of the plug-ins' own modal dialogs: a toolkit dialog whose layout
// lies in the "UI" folder beside the module's bundle, with the rounded frame
// of the warning dialogs, Return (OK) / Escape (Cancel), and a guard that
// keeps the window on screen. (The main program's dialogs have a base of
// their own.)
#include <cstdint>
#include <vector>

#include "CQelStringW.h"
#include "CornerRegion.h"
#include "qel/QelWindow.h"

// The path of `name` in the main bundle's Contents/Resources folder.
CQelStringW vGetResource(const WCHAR* name);

class CDlgBase : public CQelDialog {
 public:
  CDlgBase();
  ~CDlgBase() override;

  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // The layout `name` of the "UI" folder beside the module's bundle (the
  // stored module instance); 0 when there is none or it cannot be loaded.
  int32_t Create(const WCHAR* name, SRect32* rect, WindowRef parent) override;
  // The layout path as given ("$app\UI\x.aui", "$M\/abs/path").
  int32_t Create(const char* name, SRect32* rect, WindowRef parent) override;
  int32_t PreCreateWind(QelCreateStruct* cs) override;
  int32_t DidCreate() override;
  // Runs the dialog; InitAfterDlgShow is called once it is on screen.
  int32_t DoModal() override;
  virtual void InitAfterDlgShow() {}

  // "$M\" and the layout's path; empty without a module bundle.
  static CQelStringW ModuleUIPath(const WCHAR* name);

 protected:
  int32_t m_bRoundCorner = 1;
  int32_t m_bHideClose = 1;
  int32_t m_nReserved = 0;
  CornerMaskTable m_corners;
  std::vector<SRect32> m_shape;
};
