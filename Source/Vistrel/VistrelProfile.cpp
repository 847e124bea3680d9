#include "VistrelProfile.h"

#include <algorithm>

Vardel::CVdlXmlProfile g_VdlSetProfile;

int vistrel::ClampedSetting(const WCHAR* key, int fallback, int lo, int hi) {
  return std::clamp(g_VdlSetProfile.GetValue(u"PARAM", key, fallback), lo, hi);
}
