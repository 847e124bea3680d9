#include "PrintTexts.h"

#include "AppHelper.h"
#include "qel/QelWideText.h"

std::u16string PrintText(uint32_t id, const char* conversions, const char16_t* builtIn) {
  CQelStringW text = g_AppHelper.LoadString(id);
  if (text.IsEmpty() || !qel_format_matches(text.c_str(), conversions)) return builtIn;
  return text.c_str();
}
