#include "VdlXmlProfile.h"

#include "VdlCriticalSection.h"
#include "VdlXmlParser.h"
#include "VdlXmlSave.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace Vardel {

namespace {

constexpr const WCHAR* kProfile = u"Profile";
constexpr const WCHAR* kSection = u"Section";
constexpr const WCHAR* kItem = u"Item";
constexpr const WCHAR* kName = u"Name";
constexpr const WCHAR* kValue = u"Value";

bool IsEmpty(const WCHAR* text) { return !text || !*text; }

}  // namespace

CVdlXmlProfile::CVdlXmlProfile() { QelInitCriticalSection(&m_csFile); }

CVdlXmlProfile::~CVdlXmlProfile() {
  m_mapSections.clear();
  QelDeleteCriticalSection(&m_csFile);
}

void CVdlXmlProfile::SetProfilePathFile(const WCHAR* path) {
  if (IsEmpty(path)) return;
  CQelCriticalSection lock(&m_csFile);
  if (qel_wcscmpi(m_strProfilePath, path) == 0) return;
  m_bLoaded = 0;
  m_mapSections.clear();
  m_strProfilePath = path;
}

void CVdlXmlProfile::CheckAndLoad() {
  CQelCriticalSection lock(&m_csFile);
  if (m_bLoaded) return;
  Load();
  // A file that failed to load is not tried again until the path changes.
  m_bLoaded = 1;
}

int CVdlXmlProfile::Load() {
  CQelCriticalSection lock(&m_csFile);
  if (m_strProfilePath.IsEmpty()) return 0;
  if (!QelPathFileExists(m_strProfilePath)) return 1;
  CVdlXmlParser parser;
  if (!parser.Open(m_strProfilePath)) return 0;
  CVdlXmlNode root = parser.GetRootNode();
  if (!root.CompareNodeName(kProfile)) return 0;
  for (CVdlXmlNode child = root.GetChild(); child.IsValid(); child = child.NextSibling()) {
    if (child.CompareNodeName(kSection)) LoadSection(child);
  }
  return 1;
}

int CVdlXmlProfile::LoadSection(CVdlXmlNode section) {
  if (!section.IsValid()) return 0;
  CQelStringW name;
  if (!section.GetPropValue(kName, name)) return 0;
  KeyMap& keys = m_mapSections[name];
  for (CVdlXmlNode item = section.GetChild(); item.IsValid(); item = item.NextSibling()) {
    if (!item.CompareNodeName(kItem)) continue;
    CQelStringW key;
    CQelStringW value;
    if (!item.GetPropValue(kName, key) || !item.GetPropValue(kValue, value)) continue;
    keys.emplace(key, value);  // the first occurrence of a key wins
  }
  return 1;
}

CQelStringW CVdlXmlProfile::GetValue(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue) {
  CQelStringW result(defaultValue);
  if (!section || !key) return result;
  CQelCriticalSection lock(&m_csFile);
  CheckAndLoad();
  auto s = m_mapSections.find(CQelStringW(section));
  if (s == m_mapSections.end()) return result;
  auto k = s->second.find(CQelStringW(key));
  if (k == s->second.end()) return result;
  return k->second;
}

int CVdlXmlProfile::GetValue(const WCHAR* section, const WCHAR* key, int defaultValue) {
  WCHAR text[50] = {};
  qel_swprintf(text, 50, u"%d", defaultValue);
  return qel_wtoi(GetValue(section, key, text));
}

int CVdlXmlProfile::SetValue(const WCHAR* section, const WCHAR* key, const WCHAR* value) {
  if (IsEmpty(section) || IsEmpty(key)) return 0;
  CQelCriticalSection lock(&m_csFile);
  CheckAndLoad();
  m_mapSections[CQelStringW(section)][CQelStringW(key)] = CQelStringW(value);
  return Save();
}

int CVdlXmlProfile::SetValue(const WCHAR* section, const WCHAR* key, int value) {
  WCHAR text[50] = {};
  qel_swprintf(text, 50, u"%d", value);
  return SetValue(section, key, text);
}

int CVdlXmlProfile::Save() {
  CQelCriticalSection lock(&m_csFile);
  if (m_strProfilePath.IsEmpty()) return 0;
  CVdlXmlSave doc;
  if (!doc.Create()) return 0;
  CVdlXmlNode root = doc.CreateRootNode(kProfile);
  if (!root.IsValid()) return 0;
  if (m_mapSections.empty()) return 0;
  bool wroteItems = false;
  for (const auto& [name, keys] : m_mapSections) {
    CVdlXmlNode section = root.AddChild(kSection);
    if (!section.IsValid()) break;
    if (section.SetPropValue(kName, name) && SaveSection(section, keys)) wroteItems = true;
  }
  // A profile of empty sections leaves the file on disk as it was.
  if (!wroteItems) return 0;
  return doc.Save(m_strProfilePath);
}

int CVdlXmlProfile::SaveSection(CVdlXmlNode section, const KeyMap& keys) {
  if (!section.IsValid() || keys.empty()) return 0;
  bool wrote = false;
  for (const auto& [key, value] : keys) {
    CVdlXmlNode item = section.AddChild(kItem);
    if (!item.IsValid()) break;
    if (item.SetPropValue(kName, key) && item.SetPropValue(kValue, value)) wrote = true;
  }
  return wrote ? 1 : 0;
}

}  // namespace Vardel
