#pragma once
// Settings as named sections of named text values in one XML file, in the
// manner of an INI file:
//   <Profile><Section Name="S"><Item Name="K" Value="V"/></Section></Profile>
// The file is read on the first access after a change of path and written
// back whole after every change. Element names are recognised without
// regard to case; attribute names, sections and keys match exactly.
#include <map>

#include "CQelStringW.h"
#include "VdlXmlNode.h"
#include "qel/QelSync.h"

namespace Vardel {

class CVdlXmlProfile {
 public:
  using KeyMap = std::map<CQelStringW, CQelStringW>;

  CVdlXmlProfile();
  CVdlXmlProfile(const CVdlXmlProfile&) = delete;
  CVdlXmlProfile& operator=(const CVdlXmlProfile&) = delete;
  virtual ~CVdlXmlProfile();

  // Another file: the loaded values are dropped and the new file is read at
  // the next access. A null or empty path, or the current one in other
  // letter case, changes nothing.
  void SetProfilePathFile(const WCHAR* path);
  const CQelStringW& GetProfilePathFile() const { return m_strProfilePath; }

  // The stored value (also when empty), or the default.
  CQelStringW GetValue(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue);
  // The stored value's leading decimal digits (0 for empty text), or the
  // default when the section or key is absent.
  int GetValue(const WCHAR* section, const WCHAR* key, int defaultValue);
  // Stores (a null value as empty text) and writes the file: 1 when written.
  // The value stays in memory either way.
  int SetValue(const WCHAR* section, const WCHAR* key, const WCHAR* value);
  int SetValue(const WCHAR* section, const WCHAR* key, int value);

  // The steps behind the calls above.
  void CheckAndLoad();
  int Load();
  int LoadSection(CVdlXmlNode section);
  int Save();
  int SaveSection(CVdlXmlNode section, const KeyMap& keys);

 private:
  CQelStringW m_strProfilePath;
  int m_bLoaded = 0;
  QelCriticalSection m_csFile;
  std::map<CQelStringW, KeyMap> m_mapSections;
};

}  // namespace Vardel
