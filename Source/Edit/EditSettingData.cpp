#include "EditSettingData.h"

#include "CPath.h"
#include "ModuleInstance.h"
#include "VdlXmlWrapper.h"

ORVGF::CEditSettingData g_ESData;

namespace {

// A distance in window pixels: decimal digits only, at most 4096.
bool ReadDistance(const CVdlXmlNode& node, const WCHAR* name, uint32_t& out) {
  CQelStringW text;
  if (!node.GetPropValue(name, text) || text.IsEmpty()) return false;
  uint32_t value = 0;
  for (const WCHAR* p = text.c_str(); *p; ++p) {
    if (*p < u'0' || *p > u'9') return false;
    value = value * 10 + uint32_t(*p - u'0');
    if (value > 4096) return false;
  }
  out = value;
  return true;
}

}  // namespace

namespace ORVGF {

int GetSetData(CEditSettingData* data) {
  if (!data) return 0;
  std::u16string file = CPath::GetSetFile(u"Module.xml", vGetModuleInst());
  if (file.empty()) return 0;
  CVdlXmlParser parser;
  if (!parser.Open(file.c_str())) return 0;
  CVdlXmlNode root = parser.GetRootNode();
  CVdlXmlNode crop;
  if (!root.IsValid() || !root.GetFirstChildByName(u"CropDistance", crop)) return 0;
  ReadDistance(crop, u"MaxPointDistance", data->MaxPointDistance);
  ReadDistance(crop, u"MaxLineDistance", data->MaxLineDistance);
  return 1;
}

}  // namespace ORVGF
