#pragma once
// The print dialog: printer and paper, the layout (brand and template of
// the label catalogue), copies, the pages, and Print with progress and
// Cancel. The print layout control ('prtc_Print') holds the pictures and
// pages; the dialog drives it only through its commands and hears its
// notifications. Cancel, Escape and the close button end the dialog, or
// stop a job while one runs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DlgBase.h"
#include "PageStrip.h"
#include "PrintProgress.h"

class CZylPrintManager;

class CDlgPrint : public Orvenna::CDlgBase {
 public:
  // How the dialog ended.
  enum Outcome : int32_t { kClosed = 0, kPrinted = 1 };

  // `manager` stays the caller's; `labels` is the label catalogue's folder.
  CDlgPrint(CZylPrintManager* manager, std::u16string labels, std::vector<std::u16string> files);
  ~CDlgPrint() override;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  void DidClose() override;
  int32_t AskForClose() override;
  void OnQelOK() override {}
  void OnQelCancel() override;

  Outcome Result() const { return m_outcome; }
  // Files the control took (0 when none could be laid out).
  int32_t FilesAdded() const { return m_nAdded; }
  // The control's command interface.
  intptr_t Command(uint32_t command, intptr_t w = 0, const void* l = nullptr);

  void OnPrinter();
  void OnPaper();
  void OnBrand();
  void OnTemplate();
  void OnCopies(int32_t step);
  void OnPrinterSettings();
  void OnPrint();
  void OnSaveImages();
  void OnCancel();
  // 26 in, 27 out, 28 the whole page (the control's preview).
  void OnZoom(int32_t how);
  int32_t OnControl(int32_t code, QELLPARAM value);

 private:
  qel::Element* Find(const char* name);
  // The control's own preview and page strip take the place of the dialog's.
  void UseControlViews();
  void FillPrinters();
  void FillPapers();
  void FillBrands();
  // `keep`: the layout to stay on (empty: the first).
  void FillTemplates(const std::u16string& keep);
  // Makes the chosen template the manager's and lays the pictures out on
  // it; with `bringPaper` a layout made for one paper selects that paper.
  void ApplyTemplate(bool bringPaper);
  // After the paper or printer changed: margins, generic layouts, pages.
  void PaperChanged();
  void ShowCopies();
  void SetStatus(const std::u16string& text);
  bool EnsureOutputFile();
  bool OnlyFileDestination() const;

  static int32_t Printer_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Paper_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Brand_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Template_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t CopiesLess_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t CopiesMore_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Settings_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Print_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t SaveImages_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data);
  static int32_t Control_Proc(QelObject, int32_t, QELLPARAM, void* data);

  CZylPrintManager* m_pManager;
  std::u16string m_labels;
  std::vector<std::u16string> m_files;
  qel::Element* m_pControl = nullptr;
  std::unique_ptr<CPageStrip> m_pStrip;
  std::unique_ptr<CPrintProgress> m_pProgress;
  int32_t m_nCopies = 1;
  int32_t m_nAdded = 0;
  bool m_bFilling = false;  // combo boxes being filled: their changes are ours
  bool m_bQuiet = false;    // the control rebuilds its pages: drawn once it is done
  Outcome m_outcome = kClosed;
};
