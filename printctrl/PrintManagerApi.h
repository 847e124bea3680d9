#pragma once
// The print manager object as the control calls it: only through these
// virtual operations, named as the print manager library names them.
// Until the library's own class is linked here, this declares the
// operations the control uses; a host (or a test) derives from it.
#include <cstdint>

#include "Template.h"
#include "qel/QelTypes.h"

class CZylPrintManager {
 public:
  virtual ~CZylPrintManager() = default;
  virtual int GetPaperSize(int* width, int* height) { return 0; }
  virtual int GetPixel(int* x, int* y) { return 0; }
  virtual int GetMargin(int* left, int* top, int pixel) { return 0; }
  virtual int GetPrintArea(SRect32* area) { return 1; }
  virtual int GetPortrait() { return 1; }
  virtual int IsIndexPrint() { return 0; }
  virtual void SetHeadTailHeight(int head, int tail) {}
  virtual void SetCustomX(int x) {}
  virtual void SetCustomY(int y) {}
  virtual void GetCustomXY(int& x, int& y) {}
  virtual int IsGenericBrand(const WCHAR* brand) { return 0; }
  // A new template the caller owns, or null.
  virtual CTemplate* GetTemplateByName(const WCHAR* brand, const WCHAR* name, int fit, int* found) {
    return nullptr;
  }
  // Names of the selected template into two buffers of 1024 units.
  virtual int GetCurrentTemplateName(WCHAR* brand, WCHAR* name) { return 0; }
  virtual int AddRef() { return ++m_refs; }
  virtual int Release() {
    int r = --m_refs;
    if (r == 0) delete this;
    return r;
  }

 private:
  int m_refs = 0;
};
