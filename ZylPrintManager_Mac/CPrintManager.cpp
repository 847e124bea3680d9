#include "CPrintManager.h"

#include <cairo.h>
#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "LabelSpec.h"
#include "print/PdfJob.h"
#include "print/PrintDialogs.h"
#include "qel/QelWideText.h"

CZylPrintManager* g_pThis = nullptr;
CPrtMgrCallback* g_pCallback = nullptr;
void* gPMPrintDialog = nullptr;
void* gPMPageDialog = nullptr;

CPrtMgrCallback::~CPrtMgrCallback() = default;

namespace {

constexpr int32_t kE_NoInterface = int32_t(0x80000004u);

// Copies at most kZylTextUnits - 1 units and terminates.
void CopyOut(WCHAR* buffer, const std::u16string& text) {
  size_t n = std::min<size_t>(text.size(), kZylTextUnits - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
}

std::u16string Wide(const std::string& utf8) { return QelFromUTF8(utf8); }

// The paper the system prefers (/etc/papersize, as libpaper keeps it).
std::string PreferredPaperId() {
  std::ifstream in("/etc/papersize");
  std::string word;
  in >> word;
  std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return word == "a4" ? "iso_a4_210x297mm" : "na_letter_8.5x11in";
}

int32_t HundredthsMmToPixels(int64_t v, int32_t dpi) { return int32_t(v * dpi / 2540); }

}  // namespace

CZylPrintManager::CZylPrintManager() : CZylPrintManager(print::CurrentSystem()) {}

CZylPrintManager::CZylPrintManager(std::shared_ptr<print::PrintSystem> system) : m_system(std::move(system)) {
  Init();
  g_pThis = this;
}

CZylPrintManager::~CZylPrintManager() {
  m_job.reset();  // an unfinished job is discarded
  if (g_pThis == this) g_pThis = nullptr;
}

void CZylPrintManager::Init() {
  m_printers = m_system ? m_system->Printers() : std::vector<print::Printer>{};
  print::Printer file;
  file.name = print::kPrintToFileName;
  file.makeAndModel = "PDF";
  file.toFile = true;
  m_printers.push_back(file);
  m_current = 0;
  for (size_t i = 0; i < m_printers.size(); ++i)
    if (m_printers[i].isDefault) m_current = int32_t(i);
  m_currentName = m_printers[size_t(m_current)].name;
  LoadPapers();
  const std::string preferred = PreferredPaperId();
  m_paperName = m_papers.empty() ? "" : m_papers.front().name;
  for (const print::Media& m : m_papers)
    if (m.id == preferred) m_paperName = m.name;
}

void CZylPrintManager::LoadPapers() {
  m_papers.clear();
  if (m_current >= 0 && !m_printers[size_t(m_current)].toFile && m_system)
    m_papers = m_system->MediaOf(m_printers[size_t(m_current)].name);
  if (m_papers.empty()) m_papers = print::BuiltinMedia();
}

const print::Media* CZylPrintManager::CurrentMedia() const {
  int32_t i = FindPaper(m_paperName);
  return i < 0 ? nullptr : &m_papers[size_t(i)];
}

int32_t CZylPrintManager::FindPaper(const std::string& name) const {
  for (size_t i = 0; i < m_papers.size(); ++i)
    if (m_papers[i].name == name) return int32_t(i);
  return -1;
}

void CZylPrintManager::AddPaper(const print::Media& media) {
  if (FindPaper(media.name) < 0) m_papers.push_back(media);
}

bool CZylPrintManager::PageGeometry(int32_t g[6]) const {
  const print::Media* m = CurrentMedia();
  if (!m) return false;
  if (m_portrait) {
    g[0] = m->width, g[1] = m->height, g[2] = m->left, g[3] = m->top, g[4] = m->right, g[5] = m->bottom;
  } else {
    // The sheet turned a quarter to the left: its top edge is on the left.
    g[0] = m->height, g[1] = m->width, g[2] = m->top, g[3] = m->right, g[4] = m->bottom, g[5] = m->left;
  }
  return true;
}

// --- printers ---

int32_t CZylPrintManager::GetPrinterCount() { return int32_t(m_printers.size()); }

WCHAR* CZylPrintManager::GetPrinterNameByIndex(int32_t index, WCHAR* buffer) {
  if (!buffer || index < 0 || index >= GetPrinterCount()) return nullptr;
  CopyOut(buffer, Wide(m_printers[size_t(index)].name));
  return buffer;
}

WCHAR* CZylPrintManager::GetCurrentPrinterName(WCHAR* buffer) {
  if (!buffer || m_currentName.empty()) return nullptr;
  CopyOut(buffer, Wide(m_currentName));
  return buffer;
}

int32_t CZylPrintManager::GetCurrentPrinterIndex() { return m_current; }

int32_t CZylPrintManager::SelectPrinter(int32_t index) {
  if (index < 0 || index >= GetPrinterCount()) return 0;
  m_current = index;
  m_currentName = m_printers[size_t(index)].name;
  const std::string keep = m_paperName;
  LoadPapers();
  // The same paper when the new printer has it, else its first.
  m_paperName = FindPaper(keep) >= 0 ? keep : m_papers.front().name;
  return 1;
}

// --- papers ---

int32_t CZylPrintManager::GetSupportPaperCount() { return int32_t(m_papers.size()); }

int32_t CZylPrintManager::GetSupportPaperName(int32_t index, WCHAR* buffer) {
  if (!buffer || index < 0 || index >= GetSupportPaperCount() || m_papers[size_t(index)].name.empty()) return 0;
  CopyOut(buffer, Wide(m_papers[size_t(index)].name));
  return 1;
}

int32_t CZylPrintManager::GetCurrentPaperName(WCHAR* buffer) {
  if (!buffer || !CurrentMedia()) return 0;
  CopyOut(buffer, Wide(m_paperName));
  return 1;
}

int32_t CZylPrintManager::SelectPaperName(const WCHAR* name) {
  if (!name || m_papers.empty()) return 0;
  const std::string wanted = QelToUTF8(name);
  if (FindPaper(wanted) < 0) return 0;
  m_paperName = wanted;
  return 1;
}

int32_t CZylPrintManager::GetPaperSize(int32_t* width, int32_t* height) {
  int32_t g[6];
  if (!width || !height || !PageGeometry(g)) return 0;
  *width = HundredthsMmToPixels(g[0], m_xres);
  *height = HundredthsMmToPixels(g[1], m_yres);
  return 1;
}

int32_t CZylPrintManager::SetPaperSize(double w, double h) {
  if (!(w > 0 && h > 0 && w <= 200 && h <= 200)) return 0;
  const int64_t wp = int64_t(w * 72), hp = int64_t(h * 72);
  for (const print::Media& m : m_papers) {
    if (int64_t(m.width * 72.0 / 2540.0) == wp && int64_t(m.height * 72.0 / 2540.0) == hp) {
      m_paperName = m.name;
      return 1;
    }
  }
  char name[64];
  std::snprintf(name, sizeof name, "%2.2f X %2.2f", w, h);
  AddPaper(print::CustomMedia(w, h, name));
  m_paperName = name;
  return 1;
}

int32_t CZylPrintManager::GetPaperSizeByIndex(int32_t index, double& w, double& h) {
  if (index < 0 || index >= GetSupportPaperCount()) return 0;
  w = m_papers[size_t(index)].width / 2540.0;
  h = m_papers[size_t(index)].height / 2540.0;
  return 1;
}

// --- settings ---

int32_t CZylPrintManager::GetPrintCopies() { return m_copies; }

int32_t CZylPrintManager::SetPrintCopies(int32_t copies) {
  if (copies < 1 || copies > 999) return 0;
  m_copies = copies;
  return 1;
}

int32_t CZylPrintManager::GetPrintFromAndTo(uint32_t& first, uint32_t& last) {
  first = m_firstPage;
  last = m_lastPage;
  return 0;
}

int32_t CZylPrintManager::GetPixel(int32_t* x, int32_t* y) {
  if (!x || !y) return 0;
  *x = m_xres;
  *y = m_yres;
  return 1;
}

int32_t CZylPrintManager::SetMargin(int32_t left, int32_t top, int32_t pixels) {
  int32_t x = 0, y = 0;
  if (!GetPixel(&x, &y) || x <= 0 || y <= 0) return 0;
  if (pixels) {
    m_marginLeft = ZylRound(std::clamp(left, -x, x) * 64.0 / x);
    m_marginTop = ZylRound(std::clamp(top, -y, y) * 64.0 / y);
  } else {
    m_marginLeft = std::clamp(left, -64, 64);
    m_marginTop = std::clamp(top, -64, 64);
  }
  return 1;
}

int32_t CZylPrintManager::GetMargin(int32_t* left, int32_t* top, int32_t pixels) {
  if (!left || !top) return 0;
  if (!pixels) {
    *left = m_marginLeft;
    *top = m_marginTop;
    return 1;
  }
  int32_t x = 0, y = 0;
  if (!GetPixel(&x, &y) || x < 1 || y < 1) return 0;
  *left = ZylRound(m_marginLeft * double(x) / 64.0);
  *top = ZylRound(m_marginTop * double(y) / 64.0);
  return 1;
}

int32_t CZylPrintManager::GetPrintArea(SRect32* area) {
  if (!area) return 1;
  int32_t g[6];
  if (!PageGeometry(g)) return 0;
  area->left = HundredthsMmToPixels(g[2], m_xres);
  area->top = HundredthsMmToPixels(g[3], m_yres);
  area->right = area->left + HundredthsMmToPixels(int64_t(g[0]) - g[2] - g[4], m_xres);
  area->bottom = area->top + HundredthsMmToPixels(int64_t(g[1]) - g[3] - g[5], m_yres);
  return 1;
}

int32_t CZylPrintManager::GetPortrait() { return m_portrait; }

int32_t CZylPrintManager::SetPortrait(int32_t portrait) {
  m_portrait = portrait ? 1 : 0;
  return 1;
}

// --- dialogs ---

namespace {

void FillState(print::PrintDialogState& s, const std::vector<print::Printer>& printers, int32_t current,
               const std::vector<print::Media>& papers, const std::string& paper, int32_t portrait) {
  for (const print::Printer& p : printers) s.printers.push_back(p.name);
  s.printer = current;
  for (size_t i = 0; i < papers.size(); ++i) {
    s.papers.push_back(papers[i].name);
    s.paperSizesMm.emplace_back(papers[i].width / 100.0, papers[i].height / 100.0);
    if (papers[i].name == paper) s.paper = int(i);
  }
  s.portrait = portrait != 0;
}

}  // namespace

void CZylPrintManager::ApplyPaper(const std::string& name, double customWidth, double customHeight) {
  // A paper the printer does not have leaves the page's paper as it was.
  if (!name.empty()) SelectPaperName(QelFromUTF8(name).c_str());
  if (customWidth > 0 && customHeight > 0) SetPaperSize(customWidth, customHeight);
}

int32_t CZylPrintManager::DoPrintSetup(WindowRef window, int32_t) {
  print::PrintDialogState s;
  FillState(s, m_printers, m_current, m_papers, m_paperName, m_portrait);
  s.outputFile = m_outputFile;
  if (!print::RunPrintDialog(window, s)) return 0;
  if (s.printer >= 0 && s.printer != m_current && !SelectPrinter(s.printer)) return 0;
  ApplyPaper(s.paperName, s.customWidthInches, s.customHeightInches);
  m_portrait = s.portrait ? 1 : 0;
  m_firstPage = std::max<uint32_t>(1, s.firstPage);
  m_lastPage = std::max(m_firstPage, s.lastPage);
  m_outputFile = s.outputFile;
  return 1;
}

int32_t CZylPrintManager::PageSetup(WindowRef window) {
  print::PrintDialogState s;
  FillState(s, m_printers, m_current, m_papers, m_paperName, m_portrait);
  if (!print::RunPageSetupDialog(window, s)) return 0;
  ApplyPaper(s.paperName, s.customWidthInches, s.customHeightInches);
  m_portrait = s.portrait ? 1 : 0;
  return 1;
}

// --- jobs ---

int32_t CZylPrintManager::StartPrint(const WCHAR* jobName) {
  m_job.reset();
  m_jobError.clear();
  m_job = print::PdfJob::Begin(jobName && *jobName ? QelToUTF8(jobName) : "Dunsellow");
  return m_job ? 1 : 0;
}

int32_t CZylPrintManager::EndPrint(int32_t cancelled) {
  if (!m_job) return 0;
  std::unique_ptr<print::PdfJob> job = std::move(m_job);
  if (cancelled) {
    job->Discard();  // nothing of a cancelled job prints
    return 1;
  }
  if (!job->Finish()) {
    m_jobError = "the document could not be made";
    return 0;
  }
  if (m_current < 0 || m_current >= GetPrinterCount()) {
    m_jobError = "no printer";
    return 0;
  }
  const print::Printer& to = m_printers[size_t(m_current)];
  if (to.toFile) {
    if (m_outputFile.empty() || !job->CopyTo(m_outputFile)) {
      m_jobError = "the file could not be written";
      return 0;
    }
    return 1;
  }
  print::JobRequest request;
  request.printer = to.name;
  request.pdfPath = job->Path();
  request.title = job->Title();
  request.copies = m_copies;
  const print::Media* media = CurrentMedia();
  request.mediaId = media ? media->id : "";
  request.color = to.color;
  print::JobResult result = m_system ? m_system->Submit(request) : print::JobResult{false, 0, "no print system"};
  m_jobError = result.error;
  return result.ok ? 1 : 0;
}

int32_t CZylPrintManager::StartPage() {
  int32_t g[6];
  if (!m_job || !PageGeometry(g)) return 0;
  if (!m_job->BeginPage(g[0] * 72.0 / 2540.0, g[1] * 72.0 / 2540.0)) return 0;
  // Drawing is in device pixels of the page.
  cairo_scale(m_job->Context(), 72.0 / m_xres, 72.0 / m_yres);
  return 1;
}

int32_t CZylPrintManager::EndPage() { return m_job && m_job->EndPage() ? 1 : 0; }

int32_t CZylPrintManager::GetPrintContext(cairo_t** context) {
  if (!context || !m_job || !m_job->Context()) return 0;
  *context = m_job->Context();
  return 1;
}

int32_t CZylPrintManager::EnableColorSync(int32_t) { return 0; }

// --- what these printers do not have ---

int32_t CZylPrintManager::GetPrintQuality(int16_t&) { return 1; }
int32_t CZylPrintManager::SetPrintQuality(int16_t) { return 1; }
int32_t CZylPrintManager::GetPrintSource() { return 0; }
int32_t CZylPrintManager::SetPrintSource(int32_t) { return 1; }
int32_t CZylPrintManager::GetMediaTypeValue(int32_t, int32_t&) { return 1; }
int32_t CZylPrintManager::SelectMediaTypeByValue(int32_t) { return 1; }
int32_t CZylPrintManager::IsSupportMediaType() { return 1; }
int32_t CZylPrintManager::GetMediaTypeCount() { return 0; }
int32_t CZylPrintManager::GetCurrentMediaType() { return 0; }
int32_t CZylPrintManager::GetMediaTypeName(int32_t, WCHAR*) { return 1; }
int32_t CZylPrintManager::SelectMediaType(int32_t) { return 1; }

int32_t CZylPrintManager::IsColor() {
  return m_current >= 0 && m_printers[size_t(m_current)].color ? 1 : 0;
}

int32_t CZylPrintManager::IsSupportCollate() { return 0; }
int32_t CZylPrintManager::IsCollate() { return 0; }
int32_t CZylPrintManager::SetCollate(int32_t) { return 1; }

WCHAR* CZylPrintManager::GetPrinterDriverNameByIndex(int32_t index, WCHAR* buffer) {
  if (!buffer || index < 0 || index >= GetPrinterCount()) return nullptr;
  const std::string& model = m_printers[size_t(index)].makeAndModel;
  gchar* upper = g_utf8_strup(model.c_str(), -1);
  CopyOut(buffer, Wide(upper ? upper : ""));
  g_free(upper);
  return buffer;
}

int32_t CZylPrintManager::PrintOneCell(SRect32, char**, int32_t) { return 1; }

int32_t CZylPrintManager::GetDestinationType() {
  return m_current >= 0 && m_printers[size_t(m_current)].toFile ? kZylDestinationFile : kZylDestinationPrinter;
}

int32_t CZylPrintManager::IsIndexPrint() { return 0; }
void CZylPrintManager::SetHeadTailHeight(int32_t, int32_t) {}
void CZylPrintManager::SetCustomX(int32_t) {}
void CZylPrintManager::SetCustomY(int32_t) {}
void CZylPrintManager::GetCustomXY(int32_t&, int32_t&) {}
void CZylPrintManager::SetPrintMode(int32_t) {}
void CZylPrintManager::EnableIndexPrint(int32_t) {}

// --- reference counting ---

int32_t CZylPrintManager::QueryInterface(ZylUUIDBytes uuid, void** out) {
  static const uint8_t kIUnknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  if (!out) return kE_NoInterface;
  if (std::equal(std::begin(kIUnknown), std::end(kIUnknown), uuid.bytes)) {
    *out = this;
    AddRef();
    return 0;
  }
  *out = nullptr;
  return kE_NoInterface;
}

int32_t CZylPrintManager::AddRef() { return ++m_refs; }

int32_t CZylPrintManager::Release() {
  int32_t left = --m_refs;
  if (left == 0) delete this;
  return left;
}

// --- the host's printer filter ---

int32_t CZylPrintManager::FilterPrinters() {
  if (!g_pCallback) return 0;
  for (int32_t i = GetPrinterCount() - 1; i >= 0; --i) {
    WCHAR driver[kZylTextUnits] = {};
    WCHAR name[kZylTextUnits] = {};
    GetPrinterNameByIndex(i, name);
    GetPrinterDriverNameByIndex(i, driver);
    if (g_pCallback->FilterPrinter(driver, name)) continue;
    m_printers.erase(m_printers.begin() + i);
    if (i == m_current) m_current = -1;
    else if (i < m_current) --m_current;
  }
  if (m_printers.empty()) {
    m_current = -1;
    m_currentName.clear();
    return 1;
  }
  if (m_current >= 0) return 0;
  SelectPrinter(0);
  return 1;
}

int32_t SetPrtMgrCbk(CPrtMgrCallback* callback) {
  g_pCallback = callback;
  return g_pThis ? g_pThis->FilterPrinters() : 0;
}
