#include "AppHelper.h"

#include <cstring>

#include "qel/QelCore.h"

CORVAppHelper g_AppHelper;

bool CORVAppHelper::LoadString(uint32_t id, WCHAR* buffer, uint32_t* length) const {
  if (!m_pAui || !length) return false;
  auto text = reinterpret_cast<const WCHAR*>(
      Qel0Inter(QelHandle(m_pAui), QEL_IF_AUI, 2, static_cast<QELWPARAM>(id), 0));
  if (!text) return false;
  uint32_t n = static_cast<uint32_t>(qel_wcslen(text));
  if (buffer) {
    if (*length <= n) return false;
    std::memcpy(buffer, text, (size_t(n) + 1) * sizeof(WCHAR));
  }
  *length = n;
  return true;
}

CQelStringW CORVAppHelper::LoadString(uint32_t id) const {
  uint32_t n = 0;
  if (!LoadString(id, nullptr, &n)) return CQelStringW();
  std::u16string text(size_t(n) + 1, u'\0');
  uint32_t size = n + 1;
  if (!LoadString(id, text.data(), &size)) return CQelStringW();
  return CQelStringW(text.c_str());
}

CQelStringW vLoadResString(uint32_t id) { return g_AppHelper.LoadString(id); }

int vLoadResString(uint32_t id, WCHAR* buffer, uint32_t* size) {
  return g_AppHelper.LoadString(id, buffer, size) ? 1 : 0;
}
