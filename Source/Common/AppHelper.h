#pragma once
// The module's localised string table. Each binary (the main program, each
// plug-in) has its own g_AppHelper; a module's Init hands it the table.
#include <cstdint>

#include "CQelStringW.h"
#include "ToolkitTypes.h"

class CORVAppHelper {
 public:
  virtual ~CORVAppHelper() = default;

  // Stores the table; no reference is taken or dropped.
  void SetResAui(PubQelmar::QelAUI* aui) { m_pAui = aui; }
  PubQelmar::QelAUI* GetResAui() const { return m_pAui; }

  // With a null buffer: the string's length through length. With a buffer
  // of *length units: copies only when it has room for the terminator, then
  // stores the string's length. False without a table, without length, for
  // an unknown id or a buffer too small.
  bool LoadString(uint32_t id, WCHAR* buffer, uint32_t* length) const;
  // The string, empty on any failure.
  CQelStringW LoadString(uint32_t id) const;

 private:
  PubQelmar::QelAUI* m_pAui = nullptr;
};

extern CORVAppHelper g_AppHelper;

// Text `id` of the module's string table (through g_AppHelper): the string,
// empty on any failure; or into `buffer` as CORVAppHelper::LoadString does
// (1 when copied or measured, 0 otherwise).
CQelStringW vLoadResString(uint32_t id);
int vLoadResString(uint32_t id, WCHAR* buffer, uint32_t* size);
