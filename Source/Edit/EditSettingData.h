#pragma once
// The edit bundle's own limits, read from the "CropDistance" element of its
// Module.xml: how close (in window pixels) the pointer must come to a corner
// or an edge of the crop frame to pick it up.
#include <cstdint>

namespace ORVGF {

struct CEditSettingData {
  uint32_t MaxPointDistance = 8;
  uint32_t MaxLineDistance = 5;
};

// 1 when Module.xml beside the plug-in's bundle has a "CropDistance"
// element; each of its attributes that is a number replaces that field (a
// missing or malformed one keeps the field as it was). 0, record unchanged,
// when there is no such file or element.
int GetSetData(CEditSettingData* data);

}  // namespace ORVGF

extern ORVGF::CEditSettingData g_ESData;
