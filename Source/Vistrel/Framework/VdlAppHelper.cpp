#include "VdlAppHelper.h"

#include <cstring>

#include "qel/QelCore.h"
#include "qel/QelWideText.h"

namespace Vardel {

CVdlAppHelper g_AppHelper;

void CVdlAppHelper::SetResAui(PubQelmar::QelAUI* resource) {
  if (m_pResAui) Qel0Release(QelHandle(m_pResAui));
  m_pResAui = resource;
  if (m_pResAui) Qel0Retain(QelHandle(m_pResAui));
}

int CVdlAppHelper::LoadString(uint32_t id, WCHAR* buffer, uint32_t* length) const {
  if (!m_pResAui || !length) return 0;
  auto text = reinterpret_cast<const WCHAR*>(
      Qel0Inter(QelHandle(m_pResAui), QEL_IF_AUI, 2, static_cast<QELWPARAM>(id), 0));
  if (!text) return 0;
  uint32_t n = static_cast<uint32_t>(qel_wcslen(text));
  if (buffer) {
    if (*length <= n) return 0;
    std::memcpy(buffer, text, (size_t(n) + 1) * sizeof(WCHAR));
  }
  *length = n;
  return 1;
}

}  // namespace Vardel
