#include "DlgPrint.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "CPrintManager.h"
#include "DlgWarning.h"
#include "PrintTexts.h"
#include "print/PrintSystem.h"
#include "qel/QelFileChooser.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kPagesChanged = 2114;
// Papers that differ by less than this (inches) are the same paper.
constexpr double kSamePaper = 0.02;
constexpr int32_t kMaxCopies = 100;
constexpr int32_t kPictureResolution = 300;
constexpr int32_t kPictureQuality = 90;

std::u16string Wide(const WCHAR* buffer) { return buffer ? std::u16string(buffer) : std::u16string(); }

}  // namespace

CDlgPrint::CDlgPrint(CZylPrintManager* manager, std::u16string labels, std::vector<std::u16string> files)
    : Orvenna::CDlgBase(1), m_pManager(manager), m_labels(std::move(labels)), m_files(std::move(files)) {}

CDlgPrint::~CDlgPrint() = default;

qel::Element* CDlgPrint::Find(const char* name) { return Root() ? Root()->FindByName(name, true) : nullptr; }

intptr_t CDlgPrint::Command(uint32_t command, intptr_t w, const void* l) {
  if (!m_pControl) return 0;
  return Qel0Inter(m_pControl->Handle(), 53, int32_t(command), w, reinterpret_cast<QELLPARAM>(l));
}

void CDlgPrint::RegisterCallBacks() {
  Orvenna::CDlgBase::RegisterCallBacks();
  RegisterCallBack("comb_Printer", QEL_EV_SEL_CHANGE, &CDlgPrint::Printer_Proc, this);
  RegisterCallBack("comb_Paper", QEL_EV_SEL_CHANGE, &CDlgPrint::Paper_Proc, this);
  RegisterCallBack("comb_Brand", QEL_EV_SEL_CHANGE, &CDlgPrint::Brand_Proc, this);
  RegisterCallBack("comb_Template", QEL_EV_SEL_CHANGE, &CDlgPrint::Template_Proc, this);
  RegisterCallBack("butn_CopiesLess", QEL_EV_CLICK, &CDlgPrint::CopiesLess_Proc, this);
  RegisterCallBack("butn_CopiesMore", QEL_EV_CLICK, &CDlgPrint::CopiesMore_Proc, this);
  RegisterCallBack("butn_PrinterSettings", QEL_EV_CLICK, &CDlgPrint::Settings_Proc, this);
  RegisterCallBack("butn_Print", QEL_EV_CLICK, &CDlgPrint::Print_Proc, this);
  RegisterCallBack("butn_SaveImages", QEL_EV_CLICK, &CDlgPrint::SaveImages_Proc, this);
  RegisterCallBack("butn_Cancel", QEL_EV_CLICK, &CDlgPrint::Cancel_Proc, this);
  RegisterCallBack("prtc_Print", kAllEvents, &CDlgPrint::Control_Proc, this);
  RegisterCallBack("butn_PagePrev", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    if (auto* self = static_cast<CDlgPrint*>(d); self->m_pStrip) self->m_pStrip->Scroll(-1);
    return int32_t(0);
  }, this);
  RegisterCallBack("butn_ZoomIn", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    static_cast<CDlgPrint*>(d)->OnZoom(26);
    return int32_t(0);
  }, this);
  RegisterCallBack("butn_ZoomOut", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    static_cast<CDlgPrint*>(d)->OnZoom(27);
    return int32_t(0);
  }, this);
  RegisterCallBack("butn_ZoomFit", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    static_cast<CDlgPrint*>(d)->OnZoom(28);
    return int32_t(0);
  }, this);
  RegisterCallBack("butn_PageNext", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    if (auto* self = static_cast<CDlgPrint*>(d); self->m_pStrip) self->m_pStrip->Scroll(1);
    return int32_t(0);
  }, this);
  // A page picture chosen without the pointer (the pointer's press and
  // release go to the strip itself).
  for (int32_t i = 0; i < CPageStrip::kThumbs; ++i) {
    const std::string name = "imgc_Thumb" + std::to_string(i);
    RegisterCallBack(name.c_str(), QEL_EV_CLICK, [](QelObject element, int32_t, QELLPARAM, void* d) {
      auto* self = static_cast<CDlgPrint*>(d);
      qel::Element* e = qel::Element::From(element);
      if (self->m_pStrip && e) self->m_pStrip->Pick(std::stoi(e->Name().substr(std::string("imgc_Thumb").size())));
      return int32_t(0);
    }, this);
  }
}

int32_t CDlgPrint::DidCreate() {
  int32_t r = Orvenna::CDlgBase::DidCreate();
  m_pControl = Find("prtc_Print");
  m_pStrip = std::make_unique<CPageStrip>(
      Root(), [this](uint32_t c, intptr_t w, const void* l) { return Command(c, w, l); },
      [this] {
        int32_t w = 0, h = 0;
        if (!m_pManager->GetPaperSize(&w, &h)) return SIZE{0, 0};
        return SIZE{w, h};
      });
  std::vector<qel::Element*> busy;
  for (const char* name : {"comb_Printer", "comb_Paper", "comb_Brand", "comb_Template", "butn_CopiesLess",
                           "butn_CopiesMore", "butn_PrinterSettings", "butn_Print", "butn_SaveImages",
                           "butn_PagePrev", "butn_PageNext", "imgc_Thumb0", "imgc_Thumb1", "imgc_Thumb2",
                           "imgc_Thumb3", "butn_ZoomIn", "butn_ZoomOut", "butn_ZoomFit", "albm_Pages"}) {
    if (qel::Element* e = Find(name)) busy.push_back(e);
  }
  m_pProgress = std::make_unique<CPrintProgress>(
      Root(), [this](uint32_t c, intptr_t w, const void* l) { return Command(c, w, l); }, std::move(busy));
  if (!m_pControl) return r;

  // The job's name is the first photo's.
  if (!m_files.empty()) {
    const std::filesystem::path first(QelToUTF8(m_files.front()));
    Command(2, 203, QelFromUTF8(first.filename().string()).c_str());
  }
  Command(0, reinterpret_cast<intptr_t>(m_pManager), nullptr);
  // A control with a preview of its own shows the page itself (setting 24
  // reads 1 then) and keeps a strip of its own: the page pictures drawn by
  // the dialog step aside, and the zoom buttons come.
  if (Command(18, 24) == 1) UseControlViews();
  m_pManager->LoadLabelSpec(m_labels.c_str());
  m_bFilling = true;
  FillPrinters();
  FillPapers();
  FillBrands();
  m_bFilling = false;
  ApplyTemplate(true);
  // The pages are drawn once, after the last file.
  m_bQuiet = true;
  for (const std::u16string& file : m_files) {
    // Each into the first empty cell, pages added as needed.
    if (Command(17, reinterpret_cast<intptr_t>(file.c_str()), reinterpret_cast<const void*>(intptr_t(-1))) > 0)
      ++m_nAdded;
  }
  m_bQuiet = false;
  ShowCopies();
  m_pStrip->Refresh();
  if (qel::Element* none = Find("view_NoPrinter")) none->Show(OnlyFileDestination());
  return r;
}

void CDlgPrint::UseControlViews() {
  for (const char* mine : {"imgc_Page", "cata_Thumb0", "cata_Thumb1", "cata_Thumb2", "cata_Thumb3", "butn_PagePrev",
                           "butn_PageNext"}) {
    if (qel::Element* e = Find(mine)) e->Show(false);
  }
  if (qel::Element* zoom = Find("cata_zoom")) zoom->Show(true);
  qel::Element* strip = Find("cata_strip");
  qel::Element* album = Find("albm_Pages");
  if (strip && album) {
    album->Show(true);
    Command(1, reinterpret_cast<intptr_t>(strip->Handle()), album->Handle());
  }
}

void CDlgPrint::OnZoom(int32_t how) {
  if (!(m_pProgress && m_pProgress->Running())) Command(3, how);
}

void CDlgPrint::DidClose() {
  // The pictures go before the window.
  m_pStrip.reset();
  Orvenna::CDlgBase::DidClose();
}

int32_t CDlgPrint::AskForClose() {
  if (m_pProgress && m_pProgress->Running()) {
    m_pProgress->Cancel();
    return 0;
  }
  return 1;
}

void CDlgPrint::OnQelCancel() { OnCancel(); }

bool CDlgPrint::OnlyFileDestination() const {
  WCHAR name[kZylTextUnits] = {};
  for (int32_t i = 0; i < m_pManager->GetPrinterCount(); ++i) {
    if (m_pManager->GetPrinterNameByIndex(i, name) && QelToUTF8(name) != print::kPrintToFileName) return false;
  }
  return true;
}

void CDlgPrint::FillPrinters() {
  qel::Element* combo = Find("comb_Printer");
  if (!combo) return;
  combo->Items().clear();
  WCHAR name[kZylTextUnits] = {};
  for (int32_t i = 0; i < m_pManager->GetPrinterCount(); ++i)
    combo->AddItem(m_pManager->GetPrinterNameByIndex(i, name) ? Wide(name) : u"");
  combo->SetSelection(m_pManager->GetCurrentPrinterIndex());
}

void CDlgPrint::FillPapers() {
  qel::Element* combo = Find("comb_Paper");
  if (!combo) return;
  combo->Items().clear();
  WCHAR name[kZylTextUnits] = {}, current[kZylTextUnits] = {};
  m_pManager->GetCurrentPaperName(current);
  int32_t selected = -1;
  for (int32_t i = 0; i < m_pManager->GetSupportPaperCount(); ++i) {
    if (!m_pManager->GetSupportPaperName(i, name)) name[0] = 0;
    combo->AddItem(Wide(name));
    if (Wide(name) == Wide(current)) selected = i;
  }
  combo->SetSelection(selected);
}

void CDlgPrint::FillBrands() {
  qel::Element* combo = Find("comb_Brand");
  if (!combo) return;
  combo->Items().clear();
  WCHAR name[kZylTextUnits] = {};
  for (int32_t i = 0; i < m_pManager->GetBrandCount(); ++i)
    combo->AddItem(m_pManager->GetBrandName(i, name) ? Wide(name) : u"");
  combo->SetSelection(combo->Items().empty() ? -1 : 0);
  FillTemplates(u"");
}

void CDlgPrint::FillTemplates(const std::u16string& keep) {
  qel::Element* brands = Find("comb_Brand");
  qel::Element* combo = Find("comb_Template");
  if (!brands || !combo) return;
  // Generic layouts are named after the paper they are fitted to: when the
  // name went, the same place in the list is the same layout.
  const int32_t before = combo->Selection();
  combo->Items().clear();
  if (brands->Selection() < 0) return;
  const std::u16string brand = brands->Items()[size_t(brands->Selection())].text;
  WCHAR name[kZylTextUnits] = {};
  const int32_t count = m_pManager->GetTemplateCountByBrandName(brand.c_str());
  int32_t selected = before >= 0 && before < count && !keep.empty() ? before : 0;
  for (int32_t i = 0; i < count; ++i) {
    if (!m_pManager->GetTemplateNameByBrandName(brand.c_str(), i, name)) name[0] = 0;
    combo->AddItem(Wide(name));
    if (!keep.empty() && Wide(name) == keep) selected = i;
  }
  combo->SetSelection(combo->Items().empty() ? -1 : selected);
}

void CDlgPrint::ApplyTemplate(bool bringPaper) {
  qel::Element* brands = Find("comb_Brand");
  qel::Element* names = Find("comb_Template");
  if (!brands || !names || brands->Selection() < 0 || names->Selection() < 0) return;
  const std::u16string brand = brands->Items()[size_t(brands->Selection())].text;
  const std::u16string name = names->Items()[size_t(names->Selection())].text;
  if (!m_pManager->SelectTemplateByName(brand.c_str(), name.c_str())) return;
  // A layout made for one paper (a photo paper, a label sheet) brings its
  // paper along when the printer has it; generic layouts fit any paper.
  if (bringPaper && !m_pManager->IsGenericBrand(brand.c_str())) {
    CTemplate* t = m_pManager->GetTemplateByName(brand.c_str(), name.c_str(), 0, nullptr);
    int32_t px = 0, py = 0;
    if (t && m_pManager->GetPixel(&px, &py) && px > 0 && py > 0) {
      int32_t tw = 0, th = 0;
      t->GetTemplatePaperSize(&tw, &th);
      const double w = double(tw) / px, h = double(th) / py;
      WCHAR paperName[kZylTextUnits] = {};
      for (int32_t i = 0; i < m_pManager->GetSupportPaperCount(); ++i) {
        double pw = 0, ph = 0;
        if (!m_pManager->GetPaperSizeByIndex(i, pw, ph)) continue;
        const bool same = std::fabs(pw - w) < kSamePaper && std::fabs(ph - h) < kSamePaper;
        const bool turned = std::fabs(pw - h) < kSamePaper && std::fabs(ph - w) < kSamePaper;
        if ((same || turned) && m_pManager->GetSupportPaperName(i, paperName)) {
          m_pManager->SelectPaperName(paperName);
          break;
        }
      }
    }
    delete t;
    m_bFilling = true;
    FillPapers();
    m_bFilling = false;
    Command(29);
  }
  m_bQuiet = true;
  Command(11);
  m_bQuiet = false;
  if (m_pStrip) m_pStrip->Refresh();
}

void CDlgPrint::PaperChanged() {
  Command(29);
  m_pManager->ReloadGenericTemplate(nullptr);
  qel::Element* names = Find("comb_Template");
  const std::u16string keep =
      names && names->Selection() >= 0 ? names->Items()[size_t(names->Selection())].text : std::u16string(u" ");
  m_bFilling = true;
  FillTemplates(keep);
  m_bFilling = false;
  ApplyTemplate(false);
}

void CDlgPrint::ShowCopies() {
  if (qel::Element* view = Find("view_Copies")) view->SetText(qel_format(u"%d", m_nCopies));
  if (qel::Element* less = Find("butn_CopiesLess")) less->Enable(m_nCopies > 1);
  if (qel::Element* more = Find("butn_CopiesMore")) more->Enable(m_nCopies < kMaxCopies);
}

void CDlgPrint::SetStatus(const std::u16string& text) {
  if (m_pProgress) m_pProgress->SetStatus(text);
}

void CDlgPrint::OnPrinter() {
  qel::Element* combo = Find("comb_Printer");
  if (m_bFilling || !combo || combo->Selection() < 0) return;
  if (combo->Selection() == m_pManager->GetCurrentPrinterIndex()) return;
  m_pManager->SelectPrinter(combo->Selection());
  m_bFilling = true;
  FillPapers();
  m_bFilling = false;
  PaperChanged();
}

void CDlgPrint::OnPaper() {
  qel::Element* combo = Find("comb_Paper");
  if (m_bFilling || !combo || combo->Selection() < 0) return;
  if (!m_pManager->SelectPaperName(combo->Items()[size_t(combo->Selection())].text.c_str())) return;
  PaperChanged();
}

void CDlgPrint::OnBrand() {
  if (m_bFilling) return;
  m_bFilling = true;
  FillTemplates(u"");
  m_bFilling = false;
  ApplyTemplate(true);
}

void CDlgPrint::OnTemplate() {
  if (!m_bFilling) ApplyTemplate(true);
}

void CDlgPrint::OnCopies(int32_t step) {
  const int32_t copies = std::clamp(m_nCopies + step, 1, kMaxCopies);
  if (copies == m_nCopies) return;
  m_bQuiet = true;
  const bool done = Command(34, copies) != 0;
  m_bQuiet = false;
  if (!done) return;
  m_nCopies = copies;
  ShowCopies();
  if (m_pStrip) m_pStrip->Refresh();
}

void CDlgPrint::OnPrinterSettings() {
  if (!m_pManager->DoPrintSetup(GetWindowRef(), 0)) return;
  m_bFilling = true;
  FillPrinters();
  FillPapers();
  m_bFilling = false;
  PaperChanged();
}

bool CDlgPrint::EnsureOutputFile() {
  WCHAR current[kZylTextUnits] = {};
  m_pManager->GetCurrentPrinterName(current);
  if (QelToUTF8(current) != print::kPrintToFileName) return true;
  qel::FileChooserRequest ask;
  ask.action = qel::FileChooserRequest::kSave;
  ask.parent = this;
  ask.name = u"Photos.pdf";
  ask.filters.push_back({u"PDF (*.pdf)", {".pdf"}});
  qel::FileChooserResult answer = qel::RunFileChooser(ask);
  if (!answer.chosen || answer.paths.empty()) return false;
  std::string path = answer.paths.front();
  if (!qel::NameHasExtension(path, {".pdf"})) path += ".pdf";
  m_pManager->SetOutputFile(path);
  return true;
}

void CDlgPrint::OnPrint() {
  if (m_pProgress->Running() || !EnsureOutputFile()) return;
  uint32_t first = 1, last = 0;
  if (m_pManager->GetPrintFromAndTo(first, last) != 0) first = 1, last = 0;
  tagDOPRINTINFO request{};
  request.kind = PRTC_PRINT_PAGES;
  request.firstPage = int32_t(first);
  request.lastPage = int32_t(last);  // past the end (or 0): to the last page
  const CPrintProgress::Outcome outcome = m_pProgress->Run(request);
  if (outcome == CPrintProgress::kCancelled || outcome == CPrintProgress::kNotRun) {
    SetStatus(u"");
    return;
  }
  // The pages were drawn; the job may still have failed on its way out.
  if (outcome == CPrintProgress::kFailed || !m_pManager->LastJobError().empty()) {
    const std::string why = m_pManager->LastJobError().empty() ? "the job was not accepted" : m_pManager->LastJobError();
    SetStatus(qel_format(PrintText(kTextPrintFailed, "s", u"The pages could not be printed: %s.").c_str(),
                         QelFromUTF8(why).c_str()));
    return;
  }
  // Cells left out, one message naming each file once.
  std::u16string names;
  std::vector<std::u16string> seen;
  for (const std::u16string& file : m_pProgress->Skipped()) {
    if (std::find(seen.begin(), seen.end(), file) != seen.end()) continue;
    seen.push_back(file);
    if (!names.empty()) names += u", ";
    names += QelFromUTF8(std::filesystem::path(QelToUTF8(file)).filename().string());
  }
  if (!names.empty()) {
    vMessageBox(GetWindowRef(),
                qel_format(PrintText(kTextCellFailed, "s", u"These photos could not be printed and were left out: %s").c_str(),
                           names.c_str()).c_str(),
                nullptr, kWarnOK);
  }
  m_outcome = kPrinted;
  EndModal(kResultOK);
}

void CDlgPrint::OnSaveImages() {
  if (m_pProgress->Running()) return;
  qel::FileChooserRequest ask;
  ask.action = qel::FileChooserRequest::kSave;
  ask.parent = this;
  ask.title = PrintText(kTextSaveTitle, "", u"Save Pages as Pictures");
  ask.name = u"Page.jpg";
  ask.filters.push_back({u"JPEG (*.jpg)", {".jpg", ".jpeg"}});
  ask.filters.push_back({u"PNG (*.png)", {".png"}});
  qel::FileChooserResult answer = qel::RunFileChooser(ask);
  if (!answer.chosen || answer.paths.empty()) return;
  std::string path = answer.paths.front();
  const bool png = answer.filter == 1 || qel::NameHasExtension(path, {".png"});
  if (!qel::NameHasExtension(path, {".jpg", ".jpeg", ".png"})) path += png ? ".png" : ".jpg";
  const std::u16string file = QelFromUTF8(path);
  const std::u16string type = qel::NameHasExtension(path, {".png"}) ? u"png" : u"jpg";
  tagDOPRINTINFO request{};
  request.kind = PRTC_PRINT_STILL;
  request.filePath = file.c_str();
  request.fileType = type.c_str();
  request.resolution = kPictureResolution;
  request.quality = kPictureQuality;
  CPrintProgress::Outcome outcome = m_pProgress->Run(request);
  // A file of that name is never replaced unasked.
  if (!m_pProgress->Existing().empty()) {
    const std::u16string name = QelFromUTF8(std::filesystem::path(QelToUTF8(m_pProgress->Existing())).filename().string());
    const std::u16string question =
        qel_format(PrintText(kTextReplace, "s", u"\"%s\" already exists. Replace it?").c_str(), name.c_str());
    if (vMessageBox(GetWindowRef(), question.c_str(), nullptr, kWarnYesNo) != 0) {
      SetStatus(u"");
      return;
    }
    request.flags = PRTC_STILL_REPLACE;
    outcome = m_pProgress->Run(request);
  }
  if (outcome == CPrintProgress::kDone) {
    SetStatus(PrintText(kTextSaved, "", u"The pictures are saved."));
    m_outcome = kPrinted;
  } else if (!m_pProgress->Unwritten().empty()) {
    SetStatus(qel_format(PrintText(kTextNotWritten, "s", u"\"%s\" could not be written.").c_str(),
                         m_pProgress->Unwritten().c_str()));
  } else {
    SetStatus(u"");
  }
}

void CDlgPrint::OnCancel() {
  if (m_pProgress && m_pProgress->Running()) {
    m_pProgress->Cancel();
    return;
  }
  EndModal(kResultCancel);
}

int32_t CDlgPrint::OnControl(int32_t code, QELLPARAM value) {
  if (m_pProgress && m_pProgress->OnNotify(code, intptr_t(value))) return 0;
  if (code == int32_t(kPagesChanged) && m_pStrip && !m_bQuiet && !(m_pProgress && m_pProgress->Running()))
    m_pStrip->Refresh();
  return 0;
}

int32_t CDlgPrint::Printer_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnPrinter();
  return 0;
}
int32_t CDlgPrint::Paper_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnPaper();
  return 0;
}
int32_t CDlgPrint::Brand_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnBrand();
  return 0;
}
int32_t CDlgPrint::Template_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnTemplate();
  return 0;
}
int32_t CDlgPrint::CopiesLess_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnCopies(-1);
  return 0;
}
int32_t CDlgPrint::CopiesMore_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnCopies(1);
  return 0;
}
int32_t CDlgPrint::Settings_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnPrinterSettings();
  return 0;
}
int32_t CDlgPrint::Print_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnPrint();
  return 0;
}
int32_t CDlgPrint::SaveImages_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnSaveImages();
  return 0;
}
int32_t CDlgPrint::Cancel_Proc(QelObject, int32_t, QELLPARAM, void* data) {
  static_cast<CDlgPrint*>(data)->OnCancel();
  return 0;
}
int32_t CDlgPrint::Control_Proc(QelObject, int32_t event, QELLPARAM param, void* data) {
  return static_cast<CDlgPrint*>(data)->OnControl(event, param);
}
