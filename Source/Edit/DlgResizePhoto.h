#pragma once
// The resize dialog: the photo's new size in pixels or in percent of its
// size, optionally keeping its proportion, each side at most 4096 pixels.
// The unit and the proportion choice are kept in the preferences.
#include <cstdint>

#include "CDlgBase.h"
#include "PubQelmar.h"

class CDlgResizePhoto : public CDlgBase {
 public:
  static constexpr int32_t kMaxSide = 4096;

  CDlgResizePhoto(int32_t width, int32_t height);
  ~CDlgResizePhoto() override;

  // The size worked out when the dialog closed (each side at least 1).
  void GetNewWidthHeight(int32_t& width, int32_t& height) const;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  void WillClose() override;

  int32_t MaxWidth() const { return m_nMaxWidth; }
  int32_t MaxHeight() const { return m_nMaxHeight; }
  int32_t MaxPercent() const { return m_nMaxPercent; }
  int32_t IsPixelMode() const { return m_bPixelMode; }
  int32_t IsKeepProportion() const { return m_bKeepProportion; }

 private:
  void InitAllSubCtrls();
  void InitMaxWidthHeight();
  void OnEditNumChange(PubQelmar::QelElement* field);
  void OnModeChange();
  void OnCheckBox();
  void OnOK();
  static int32_t GetEditNum(PubQelmar::QelElement* edit);
  static void SetEditNum(PubQelmar::QelElement* edit, int64_t n);
  // Selects the field's whole text (after a typed value was clamped).
  static void SelectText(PubQelmar::QelElement* edit);

  static int32_t EditCheckBoxProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t EditModeChangeProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t EditWidthChangeProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t EditHeightChangeProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnOKProc(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnCancelProc(QelObject element, int32_t event, QELLPARAM param, void* data);

  PubQelmar::QelElement* m_pEditWidth = nullptr;   // "cedt_H"
  PubQelmar::QelElement* m_pEditHeight = nullptr;  // "cedt_H1"
  PubQelmar::QelElement* m_pCheckBox = nullptr;    // "chck2"
  PubQelmar::QelElement* m_pComboBox = nullptr;    // "comb_single"
  int32_t m_nWidth, m_nHeight;  // the picture's size
  int32_t m_bPixelMode = 1;
  int32_t m_bKeepProportion = 1;
  int32_t m_nNewWidth, m_nNewHeight;
  int32_t m_nMaxWidth = kMaxSide, m_nMaxHeight = kMaxSide, m_nMaxPercent = 100;
  int32_t m_bUpdating = 0;
};
