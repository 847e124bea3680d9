#pragma once
// The print manager object: printers, papers, resolution, margins, the
// print and page set-up dialogs, jobs and pages, drawing pictures and
// layers, the label catalogue and the templates built from it. Callers
// reach it only through its virtual operations, in this order.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Template.h"
#include "print/PrintSystem.h"
#include "qel/QelTypes.h"

#define ZYL_EXPORT __attribute__((visibility("default")))

typedef struct _cairo cairo_t;
class CLabelSpec;
struct tagTPLABEL;
namespace print {
class PdfJob;
}

// The 16 bytes of an interface identifier.
struct ZylUUIDBytes {
  uint8_t bytes[16];
};

// The host's printer filter: 0 means the printer is not offered.
class ZYL_EXPORT CPrtMgrCallback {
 public:
  virtual int32_t FilterPrinter(const WCHAR* driverName, const WCHAR* printerName) = 0;
  virtual ~CPrtMgrCallback();
};

// Caller buffers hold this many UTF-16 units, the terminator included.
inline constexpr int32_t kZylTextUnits = 1024;
// Destinations of GetDestinationType.
inline constexpr int32_t kZylDestinationPrinter = 1;
inline constexpr int32_t kZylDestinationFile = 2;

class ZYL_EXPORT CZylPrintManager {
 public:
  CZylPrintManager();
  // Uses this print system instead of the current one (tests, the IPP check).
  explicit CZylPrintManager(std::shared_ptr<print::PrintSystem> system);
  virtual ~CZylPrintManager();
  CZylPrintManager(const CZylPrintManager&) = delete;
  CZylPrintManager& operator=(const CZylPrintManager&) = delete;

  // --- printers ---
  virtual int32_t GetPrinterCount();
  virtual WCHAR* GetPrinterNameByIndex(int32_t index, WCHAR* buffer);
  virtual WCHAR* GetCurrentPrinterName(WCHAR* buffer);
  virtual int32_t GetCurrentPrinterIndex();
  virtual int32_t SelectPrinter(int32_t index);
  // --- papers ---
  virtual int32_t GetSupportPaperCount();
  virtual int32_t GetSupportPaperName(int32_t index, WCHAR* buffer);
  virtual int32_t GetCurrentPaperName(WCHAR* buffer);
  virtual int32_t SelectPaperName(const WCHAR* name);
  virtual int32_t GetPaperSize(int32_t* width, int32_t* height);
  virtual int32_t SetPaperSize(double widthInches, double heightInches);
  virtual int32_t GetPaperSizeByIndex(int32_t index, double& widthInches, double& heightInches);
  // --- settings ---
  virtual int32_t GetPrintCopies();
  virtual int32_t SetPrintCopies(int32_t copies);
  // 0 (success) with the page range; callers test for 0.
  virtual int32_t GetPrintFromAndTo(uint32_t& first, uint32_t& last);
  virtual int32_t GetPixel(int32_t* x, int32_t* y);
  virtual int32_t SetMargin(int32_t left, int32_t top, int32_t pixels);
  virtual int32_t GetMargin(int32_t* left, int32_t* top, int32_t pixels);
  virtual int32_t GetPrintArea(SRect32* area);
  virtual int32_t GetPortrait();
  virtual int32_t SetPortrait(int32_t portrait);
  // --- dialogs ---
  virtual int32_t DoPrintSetup(WindowRef window, int32_t withHook);
  virtual int32_t PageSetup(WindowRef window);
  // --- jobs ---
  virtual int32_t StartPrint(const WCHAR* jobName);
  // Delivers the job, or discards it when cancelled.
  virtual int32_t EndPrint(int32_t cancelled);
  virtual int32_t StartPage();
  virtual int32_t EndPage();
  // The open page's cairo context, in device pixels with the origin at the
  // paper's top left.
  virtual int32_t GetPrintContext(cairo_t** context);
  virtual int32_t EnableColorSync(int32_t enable);
  virtual int32_t PrintPict(QelObject picture, SRect32* destination);
  virtual int32_t PrintLayer(QelObject layer, SRect32* destination);
  // --- settings the printers here do not have ---
  virtual int32_t GetPrintQuality(int16_t& quality);
  virtual int32_t SetPrintQuality(int16_t quality);
  virtual int32_t GetPrintSource();
  virtual int32_t SetPrintSource(int32_t source);
  virtual int32_t GetMediaTypeValue(int32_t index, int32_t& value);
  virtual int32_t SelectMediaTypeByValue(int32_t value);
  virtual int32_t IsSupportMediaType();
  virtual int32_t GetMediaTypeCount();
  virtual int32_t GetCurrentMediaType();
  virtual int32_t GetMediaTypeName(int32_t index, WCHAR* buffer);
  virtual int32_t SelectMediaType(int32_t index);
  virtual int32_t IsColor();
  virtual int32_t IsSupportCollate();
  virtual int32_t IsCollate();
  virtual int32_t SetCollate(int32_t collate);
  virtual WCHAR* GetPrinterDriverNameByIndex(int32_t index, WCHAR* buffer);
  virtual int32_t PrintOneCell(SRect32 cell, char** bitmap, int32_t flags);
  virtual int32_t GetDestinationType();
  virtual int32_t IsIndexPrint();
  virtual void SetHeadTailHeight(int32_t head, int32_t tail);
  virtual void SetCustomX(int32_t x);
  virtual void SetCustomY(int32_t y);
  virtual void GetCustomXY(int32_t& x, int32_t& y);
  virtual void SetPrintMode(int32_t mode);
  // --- label catalogue and templates ---
  virtual int32_t IsGenericBrand(const WCHAR* brand);
  virtual CTemplate* GetTemplateByName(const WCHAR* brand, const WCHAR* name, int32_t fit, int32_t* found);
  virtual int32_t GetCurrentTemplateName(WCHAR* brand, WCHAR* name);
  virtual int32_t LoadLabelSpec(const WCHAR* folder);
  virtual int32_t GetBrandCount();
  virtual int32_t ReloadGenericTemplate(const WCHAR* brand);
  virtual int32_t GetBrandName(int32_t index, WCHAR* buffer);
  virtual int32_t GetTemplateCountByBrandName(const WCHAR* brand);
  virtual int32_t GetTemplateNameByBrandName(const WCHAR* brand, int32_t index, WCHAR* buffer);
  virtual void SetFitAreaGenericName(const WCHAR* name);
  virtual int32_t SelectTemplateByName(const WCHAR* brand, const WCHAR* name);
  virtual int32_t IsNeedReloatTemplate();
  virtual void EnableIndexPrint(int32_t enable);
  // --- reference counting ---
  virtual int32_t QueryInterface(ZylUUIDBytes uuid, void** out);
  virtual int32_t AddRef();
  virtual int32_t Release();

  // Builds the catalogue from these files; 1.
  int32_t InitFactors(const std::vector<std::u16string>& files);
  int32_t GetSelTemplateName(WCHAR* brand, WCHAR* name);
  // Runs the host's filter over the printers (SetPrtMgrCbk).
  int32_t FilterPrinters();
  CLabelSpec* LabelSpec() const { return m_labels.get(); }
  // Where "Print to File (PDF)" writes; set by the print dialog.
  void SetOutputFile(const std::string& path) { m_outputFile = path; }
  // The last job's delivery error, empty after a success.
  const std::string& LastJobError() const { return m_jobError; }

 private:
  void Init();
  void LoadPapers();
  const print::Media* CurrentMedia() const;
  int32_t FindPaper(const std::string& name) const;
  void AddPaper(const print::Media& media);
  void ApplyPaper(const std::string& name, double customWidth, double customHeight);
  // The current paper's size and printable area in 1/100 mm as seen on the
  // page (turned in landscape): width, height, left, top, right, bottom.
  bool PageGeometry(int32_t out[6]) const;
  tagTPLABEL ConvertedLabel(const tagTPLABEL& source, int32_t portrait, int32_t xres, int32_t yres) const;

  std::shared_ptr<print::PrintSystem> m_system;
  std::atomic<int32_t> m_refs{0};
  std::vector<print::Printer> m_printers;  // the system's, then the file destination
  int32_t m_current = -1;
  std::string m_currentName;
  std::vector<print::Media> m_papers;
  std::string m_paperName;  // the page's paper
  int32_t m_portrait = 1;
  int32_t m_copies = 1;
  uint32_t m_firstPage = 1, m_lastPage = 0xFFFFFFFFu;
  int32_t m_xres = 720, m_yres = 720;
  int32_t m_marginLeft = 0, m_marginTop = 0;  // 1/64 inch
  std::u16string m_selBrand, m_selTemplate;
  std::unique_ptr<CLabelSpec> m_labels;
  std::unique_ptr<print::PdfJob> m_job;
  std::string m_outputFile;
  std::string m_jobError;
};

// The last constructed manager (cleared when it goes) and the host's filter.
extern "C" ZYL_EXPORT CZylPrintManager* g_pThis;
extern "C" ZYL_EXPORT CPrtMgrCallback* g_pCallback;
// The dialogs of a hooked print dialog while it runs (GTK's own dialog has
// no page set-up button to move, so they stay null here).
extern "C" ZYL_EXPORT void* gPMPrintDialog;
extern "C" ZYL_EXPORT void* gPMPageDialog;
// Stores the filter and runs it over g_pThis's printers: 1 when the
// current printer changed or none is left, else 0.
extern "C" ZYL_EXPORT int32_t SetPrtMgrCbk(CPrtMgrCallback* callback);

// Where PrintPict places a source of sw x sh pixels in dest.
struct ZylPlacement {
  int32_t left, top, width, height;
};
ZYL_EXPORT ZylPlacement ZylPlacePicture(const SRect32& dest, int32_t sw, int32_t sh, int32_t keepAspect);
// Draws the part src (null: all) of picture into dest on cr (device
// pixels), moved by (dx, dy): 1 when drawn or nothing to draw, 0 on failure.
ZYL_EXPORT int32_t ZylDrawPicture(cairo_t* cr, const SRect32* dest, QelObject picture, const SRect32* src,
                                  int32_t keepAspect, int32_t dx, int32_t dy);
