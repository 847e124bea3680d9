#pragma once
// The toolkit's reference-counted UTF-16 string. One pointer to the
// characters; a CQelStringData header (count, length, allocated) stands
// before them. Copies share a buffer until one of them writes (copy on
// write); counts change atomically so copies may live on different threads,
// while one string object is not guarded.
#include <cstdarg>
#include <string>
#include <type_traits>

#include "qel/QelStringData.h"
#include "qel/QelWideText.h"

class CQelStringW {
 public:
  CQelStringW();
  CQelStringW(const WCHAR* text);  // NOLINT: converts like the toolkit's
  CQelStringW(const CQelStringW& other);
  ~CQelStringW();

  CQelStringW& operator=(const CQelStringW& other);
  CQelStringW& operator=(const WCHAR* text);
  CQelStringW& operator+=(const WCHAR* text);
  CQelStringW& operator+=(const CQelStringW& other);
  friend CQelStringW operator+(const CQelStringW& a, const CQelStringW& b);
  friend CQelStringW operator+(const CQelStringW& a, const WCHAR* b);
  friend CQelStringW operator+(const WCHAR* a, const CQelStringW& b);

  int GetLength() const { return GetData()->nDataLength; }
  bool IsEmpty() const { return GetData()->nDataLength == 0; }
  const WCHAR* c_str() const { return m_pchData; }
  operator const WCHAR*() const { return m_pchData; }  // NOLINT
  // Unchecked; any integer index (so s[i] never competes with the pointer form).
  template <typename Index>
    requires std::is_integral_v<Index>
  WCHAR operator[](Index index) const {
    return m_pchData[index];
  }
  CQelStringData* GetData() const { return reinterpret_cast<CQelStringData*>(m_pchData) - 1; }

  // Index of the first ch at or after start; -1 when none or start is past.
  int Find(WCHAR ch, int start = 0) const;
  CQelStringW Mid(int start) const;
  CQelStringW Mid(int start, int count) const;
  CQelStringW Left(int count) const;
  // Replaces every non-overlapping occurrence; returns their number, 0 for
  // an empty or null old text, -1 when memory ran out (string unchanged).
  int Replace(const WCHAR* oldText, const WCHAR* newText);
  // %s and %c take UTF-16 arguments (const WCHAR*, WCHAR).
  void Format(const WCHAR* format, ...);
  void FormatV(const WCHAR* format, va_list args);
  int CompareNoCase(const WCHAR* text) const { return _cstrcmpi(m_pchData, text); }
  // Case-sensitive order of UTF-16 code units (every upper-case Latin letter
  // before every lower-case one): the order of maps and sets keyed by strings.
  int Compare(const WCHAR* text) const { return _cstrcmp(m_pchData, text); }
  static int _cstrcmp(const WCHAR* a, const WCHAR* b) { return qel_wcscmp(a ? a : u"", b ? b : u""); }
  friend bool operator<(const CQelStringW& a, const CQelStringW& b) { return a.Compare(b.m_pchData) < 0; }
  // Exact comparison of the characters (without these, s == u"x" would
  // compare addresses through the conversion to const WCHAR*).
  friend bool operator==(const CQelStringW& a, const WCHAR* b) {
    return qel_wcscmp(a.m_pchData, b ? b : u"") == 0;
  }
  friend bool operator==(const CQelStringW& a, const CQelStringW& b) {
    return a.GetLength() == b.GetLength() && qel_wcscmp(a.m_pchData, b.m_pchData) == 0;
  }

  // UTF-8 into buffer (at most size bytes, terminated); the length in UTF-16
  // units, 0 when it does not fit or there is nothing to convert.
  int GetUTF8String(char* buffer, int size) const;
  std::string ToUTF8() const;
  // Stands in for the file-system reference: 1 when the string names an
  // existing file or folder (the UTF-8 form then goes into *utf8Path).
  int MakeFSRef(std::string* utf8Path = nullptr) const;

  static int SafeStrlen(const WCHAR* text) { return text ? int(qel_wcslen(text)) : 0; }

  // Buffer management, public as the toolkit's were.
  void Init();
  void AssignCopy(int count, const WCHAR* text);
  bool AllocBeforeWrite(int count);
  bool AllocBuffer(int count);
  void CopyBeforeWrite();
  void Release();
  static void Release(CQelStringData* data);
  bool ConcatCopy(int countA, const WCHAR* a, int countB, const WCHAR* b);
  void ConcatInPlace(int count, const WCHAR* text);
  void AllocCopy(CQelStringW& dest, int count, int start, int extra) const;

 private:
  static CQelStringData* NewData(int count);
  bool IsEmptyData() const { return GetData() == QelEmptyStringData(); }

  WCHAR* m_pchData;
};
