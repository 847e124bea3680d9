#pragma once
// One module's buttons: the large icon on the home page (shows the module's
// description under the pointer, launches it with the launch animation when
// clicked) and its tab in the title bar's process strip (switches to the
// module embedded). The main window creates one per module, in display order.
#include <cstdint>
#include <string>

#include "CQelStringW.h"
#include "qel/QelElement.h"

class CMyMainFrame;

class CModuleButton {
 public:
  static constexpr int32_t kEventPointerEnter = 0x40000007;
  static constexpr int32_t kEventPointerLeave = 0x40000008;
  // A tab with this id launches without asking the launched module first.
  static constexpr uint32_t kNoSwitchLibID = 255;

  // The panels are "cata_Butn" (home-page icons), "view_Wel1" (description)
  // and the title panel; a reference to each is kept.
  CModuleButton(CMyMainFrame* frame, QelObject buttonsPanel, QelObject welcomeView, QelObject titlePanel,
                uint32_t libID);
  CModuleButton(const CModuleButton&) = delete;
  CModuleButton& operator=(const CModuleButton&) = delete;
  ~CModuleButton();

  // "cata_Btn" (the selected module's plain tab) and "cata_process" (radio tabs).
  void SetModuleBtnPanel(QelObject btnPanel, QelObject processPanel);

  // 1 when the icon, the description and the tab are all in place; 0
  // otherwise (the caller deletes the button).
  int32_t Init(const CQelStringW& iconFile, const CQelStringW& stringFile, int32_t descStringID,
               const CQelStringW& tabFile, const char* tabElementName);

  uint32_t GetModuleLibID() const { return m_nLibID; }
  void GetModuleIconSize(SIZE& size) const;

  void UpdateModuleButtonState();
  void UpdateModuleBtnState(int32_t selected, int32_t keep);
  void UpdateModuleRadioState(int32_t selected, int32_t);
  // Whether (x, y) lies in "cata_process", extended 5 pixels downwards.
  bool IsPtInProcessPanel(int32_t x, int32_t y) const;

  const CQelStringW& GetDescription() const { return m_strDesc; }

  static int32_t OnActionButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnRadoButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnModuleButton(QelObject element, int32_t event, QELLPARAM param, void* data);

 private:
  // The pointer in window coordinates; false when it cannot be read.
  bool PointerInWindow(POINT& p) const;
  qel::Element* FirstShownTab() const;
  void HideTabsBut(qel::Element* keep);

  qel::Element* m_pIconLayout = nullptr;   // owned
  qel::Element* m_pActive = nullptr;       // "butn_active" inside the icon layout
  qel::Element* m_pTabLayout = nullptr;    // owned
  qel::Element* m_pTab = nullptr;          // plain tab, in "cata_Btn"
  qel::Element* m_pTabP = nullptr;         // radio tab, in "cata_process"
  CQelStringW m_strDesc;
  CMyMainFrame* m_pFrame;
  uint32_t m_nLibID;
  qel::Element* m_pButtons = nullptr;      // "cata_Butn"
  qel::Element* m_pTitle = nullptr;
  qel::Element* m_pWelcome = nullptr;      // "view_Wel1"
  qel::Element* m_pBtn = nullptr;          // "cata_Btn"
  qel::Element* m_pProcess = nullptr;      // "cata_process"
};
