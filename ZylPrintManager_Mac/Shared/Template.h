#pragma once
// A print template: the page layout that the print layout control fills
// with pictures. The print manager builds a new one on every request, in
// device pixels of the current printer and page orientation; the receiver
// owns it and deletes it through the virtual destructor.
#include <cstdint>
#include <string>
#include <vector>

#include "qel/QelTypes.h"

// One cell in device pixels. Both texts belong to the template that holds
// the cell (new[] arrays, null when absent): the first names the cell's
// mask picture, the second is carried along unread.
struct _CELLRECT {
  SRect32 rc;
  WCHAR* szMask;
  WCHAR* szExtra;
};

// A new[] copy of text, null for null or empty text.
WCHAR* ZylDupText(const WCHAR* text);

class CTemplate {
 public:
  CTemplate();
  virtual ~CTemplate();
  CTemplate(const CTemplate&) = delete;
  CTemplate& operator=(const CTemplate&) = delete;

  // Null arguments are ignored.
  void SetBrandName(const WCHAR* name);
  void SetTemplateName(const WCHAR* name);
  void SetPerforatedType(const WCHAR* type);
  const WCHAR* GetBrandName() const { return m_brand.c_str(); }
  const WCHAR* GetTemplateName() const { return m_name.c_str(); }
  const WCHAR* GetPerforatedType() const { return m_perforationType.c_str(); }

  void SetTemplatePaperSize(int32_t width, int32_t height);
  // Writes both only when both pointers are given; 1 then, else 0.
  int GetTemplatePaperSize(int32_t* width, int32_t* height) const;
  // Each clamped to 0..100.
  void SetTemplateSpace(int32_t x, int32_t y);
  int GetTemplateSpace(int32_t* x, int32_t* y) const;

  void SetPortrait(int32_t portrait) { m_portrait = portrait; }
  int32_t GetPortrait() const { return m_portrait; }
  void SetPerforated(int32_t value) { m_perforated = value; }
  int32_t GetPerforated() const { return m_perforated; }
  void SetRollPaper(int32_t value) { m_rollPaper = value; }
  int32_t GetRollPaper() const { return m_rollPaper; }
  void SetGFGC(int32_t value) { m_gfgc = value; }
  int32_t GetGFGC() const { return m_gfgc; }
  void SetFilterState(uint32_t state) { m_filterState = state; }
  uint32_t GetFilterState() const { return m_filterState; }
  // 1.0 = 100 %.
  void SetRecommendedScaling(double scaling) { m_scaling = scaling; }
  double GetRecommendedScaling() const { return m_scaling; }
  // 0 when the layout was written in centimetres or millimetres.
  void SetImperial(int32_t imperial) { m_imperial = imperial; }
  int32_t GetImperial() const { return m_imperial; }

  // Takes over the cells and the texts they point to; the texts of the
  // cells held before are freed unless the new list holds them too.
  void SetCellList(std::vector<_CELLRECT> cells);
  // Appends a cell with copies of both texts.
  void AddCell(const SRect32& rc, const WCHAR* mask = nullptr, const WCHAR* extra = nullptr);
  int GetCellCount() const { return int(m_cells.size()); }
  // Null for an index outside the list.
  const _CELLRECT* GetCell(int index) const;
  const std::vector<_CELLRECT>& GetCellList() const { return m_cells; }
  // Frees both texts of every cell and empties the list.
  void ClearCellList();

 private:
  std::u16string m_brand;
  std::u16string m_name;
  std::u16string m_perforationType;
  std::vector<_CELLRECT> m_cells;
  int32_t m_portrait = 1;
  int32_t m_perforated = 0;
  int32_t m_rollPaper = 0;
  int32_t m_gfgc = 0;
  int32_t m_paperWidth = 5100;
  int32_t m_paperHeight = 6600;
  int32_t m_spaceX = 100;
  int32_t m_spaceY = 100;
  uint32_t m_filterState = 0;
  double m_scaling = 100.0;
  int32_t m_imperial = 1;
};
