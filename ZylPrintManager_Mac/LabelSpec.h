#pragma once
// The catalogue of label and photo-paper layouts: every XML file of a label
// layout folder, grouped into brands of templates of cells, and a
// second list of generic templates rebuilt for the current paper. Lengths
// are kept in 1/600 inch.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VdlXmlNode.h"
#include "VdlXmlParser.h"
#include "qel/QelTypes.h"

class CZylPrintManager;

// One cell, at its template's resolution.
struct tagCELLINFO {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t reserved = 0;
  std::u16string text1, text2;  // empty: none (label files carry none)
};

// One template (layout) of a brand.
struct tagTPLABEL {
  std::u16string filePath;
  std::u16string name;
  std::u16string fileBaseName;
  std::u16string unit;
  int32_t paperWidth = 0, paperHeight = 0;
  std::u16string mediaType;
  int32_t portrait = 1;
  std::vector<tagCELLINFO> cells;
  double scaling = 1.0;
  uint32_t filterState = 0;
  int32_t hAdjust = 0, vAdjust = 0;
  std::u16string perforationType;
  int32_t perforated = 0, greetingCard = 0, roll = 0;
  int32_t flagWord = 0;
  int32_t xres = 600, yres = 600;
};

// One brand.
struct tagFILEFACTOR {
  std::u16string brand;
  std::u16string filePath;
  std::u16string fileBaseName;
  std::vector<std::unique_ptr<tagTPLABEL>> templates;
  int32_t generic = 0;
  int32_t order = 0;
};

// Standard cell sizes (1/600 inch) and the filter bits they set.
inline constexpr uint32_t kFilterUniformSquare = 0x10000;

class CLabelSpec {
 public:
  explicit CLabelSpec(CZylPrintManager* parent);
  virtual ~CLabelSpec();
  CLabelSpec(const CLabelSpec&) = delete;
  CLabelSpec& operator=(const CLabelSpec&) = delete;

  // A length in 1/600 inch: "inch" truncates, "cm" and "mm" round;
  // "percentage" is a fraction of the reference (the raw number without
  // one); any other unit gives the number itself. The text is read the same
  // in every locale (a dot before the decimals).
  static int32_t GetValue(const WCHAR* text, const WCHAR* unit, int32_t reference);
  // The number at the start of text (0 when none), locale-independent.
  static double ParseNumber(const WCHAR* text);

  // Rebuilds the brand list from the files (each must be a label file); 1.
  int ParseFileFactors(const std::vector<std::u16string>& files);
  // Adds one file's layouts; 0 when the file cannot be read as XML.
  int PharseOldVersionFile(const WCHAR* path);
  // Cells of one Layout element into label; 0 when it has none.
  int GetLabelOldeVersion(tagTPLABEL* label, const Vardel::CVdlXmlNode& layout, const WCHAR* unit, int32_t paperWidth,
                          int32_t paperHeight);

  // Rebuilds the generic list for a paper (device pixels) and its printable
  // area; 0 (old list kept) for a size, resolution or area that is not
  // positive.
  int ReloadGenericTemplate(int32_t paperWidth, int32_t paperHeight, int32_t xres, int32_t yres,
                            const SRect32& printArea, int32_t portrait, int appendCount, const WCHAR* suffix);

  const std::vector<std::unique_ptr<tagFILEFACTOR>>& Brands() const { return m_brands; }
  const std::vector<std::unique_ptr<tagFILEFACTOR>>& Generics() const { return m_generics; }
  // The brand of that exact name, generic list first; null when neither has it.
  tagFILEFACTOR* FindBrand(const WCHAR* brand, bool genericFirst = true) const;
  tagFILEFACTOR* FindGeneric(const WCHAR* brand) const;

  void SetFitAreaGenericName(const WCHAR* name);
  const std::u16string& GetFitAreaGenericName() const { return m_fitAreaName; }
  int32_t IsNeedReload() const { return m_needReload; }

  static void SetCustomX(int32_t x);
  static void SetCustomY(int32_t y);
  static void GetCustomXY(int32_t& x, int32_t& y);
  void SetHeadTailHeight(int32_t head, int32_t tail);
  void GetHeadTailHeight(int32_t& head, int32_t& tail) const;

  // The paper of a template: type 0 generic, else 1, 3 perforated, 4 roll,
  // 2 greeting card (later tests win); media ("GLOSSY" when none), unit,
  // size and resolution. 0 when the template is unknown.
  int GetPaperType(const WCHAR* brand, const WCHAR* name, int32_t* type, WCHAR* media, WCHAR* unit, int32_t* width,
                   int32_t* height, int32_t* xres, int32_t* yres) const;

 private:
  void MergeBrands();
  void SortBrands();
  void BuildCustom(const tagFILEFACTOR& brand, int32_t W, int32_t H, int32_t x, int32_t y, const SRect32& area,
                   int32_t portrait, const WCHAR* suffix);

  std::u16string m_fitAreaName = u"Fit to printable area";
  std::vector<std::unique_ptr<tagFILEFACTOR>> m_brands;
  std::vector<std::unique_ptr<tagFILEFACTOR>> m_generics;
  CZylPrintManager* m_parent;
  Vardel::CVdlXmlParser m_parser;
  std::u16string m_lastFile;
  int32_t m_head = 0, m_tail = 0;
  int32_t m_needReload = 0;
  // The paper size read so far: it carries over to later definitions and files.
  int32_t m_curWidth = 0, m_curHeight = 0;

  static int32_t m_nCustomXCount;
  static int32_t m_nCustomYCount;
};

// Rounds half away from zero.
int32_t ZylRound(double v);
// Centres a template's cells in an area given at (xres, yres).
void ReArrangeLable(tagTPLABEL* label, int32_t xres, int32_t yres, SRect32 area, int32_t unused = 0);
// Copies every field and the cells.
void CopyLabel(tagTPLABEL* destination, const tagTPLABEL* source);
