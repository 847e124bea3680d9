#pragma once
// The program's string table, from which every user-visible text is loaded
// by id. One instance per program: Vardel::g_AppHelper.
#include <cstdint>

#include "ToolkitTypes.h"

namespace Vardel {

class CVdlAppHelper {
 public:
  CVdlAppHelper() = default;
  CVdlAppHelper(const CVdlAppHelper&) = delete;
  CVdlAppHelper& operator=(const CVdlAppHelper&) = delete;
  virtual ~CVdlAppHelper() { SetResAui(nullptr); }

  // Releases the table held before and keeps a reference to the new one
  // (null clears it).
  void SetResAui(PubQelmar::QelAUI* resource);
  PubQelmar::QelAUI* GetResAui() const { return m_pResAui; }

  // Null buffer: the text's length (without terminator) in *length. With a
  // buffer of *length units: copies text and terminator only when the buffer
  // is longer than the text, then stores the length. 0 without a table,
  // without `length`, for an unknown id or a buffer too small (left as it was).
  int LoadString(uint32_t id, WCHAR* buffer, uint32_t* length) const;

 private:
  PubQelmar::QelAUI* m_pResAui = nullptr;
};

extern CVdlAppHelper g_AppHelper;

}  // namespace Vardel
