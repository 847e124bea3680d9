#pragma once
// The viewer's one settings profile: first the bundle's "Vistrel.xml", then,
// once the main window is set up, the user's "Nuvo_Vistrel.xml".
#include "VdlXmlProfile.h"

extern Vardel::CVdlXmlProfile g_VdlSetProfile;

namespace vistrel {
// An integer setting of section "PARAM" kept within lo .. hi (a hand-edited
// file must not size tables or sleeps beyond what the viewer can take).
int ClampedSetting(const WCHAR* key, int fallback, int lo, int hi);
}  // namespace vistrel
