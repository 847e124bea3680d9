#include "CQelStringW.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

int32_t AtomicIncrement(int32_t& v) { return __atomic_add_fetch(&v, 1, __ATOMIC_ACQ_REL); }
int32_t AtomicDecrement(int32_t& v) { return __atomic_sub_fetch(&v, 1, __ATOMIC_ACQ_REL); }
int32_t AtomicLoad(const int32_t& v) { return __atomic_load_n(&v, __ATOMIC_ACQUIRE); }

void CopyUnits(WCHAR* dst, const WCHAR* src, int count) {
  if (count > 0) std::memmove(dst, src, size_t(count) * sizeof(WCHAR));
}

}  // namespace

CQelStringData* CQelStringW::NewData(int count) {
  if (count <= 0 || count > (INT_MAX - 64) / int(sizeof(WCHAR))) return nullptr;
  auto* data = static_cast<CQelStringData*>(
      std::malloc(sizeof(CQelStringData) + (size_t(count) + 1) * sizeof(WCHAR)));
  if (!data) return nullptr;
  data->nRefs = 1;
  data->nDataLength = count;
  data->nAllocLength = count;
  data->data()[count] = 0;
  return data;
}

void CQelStringW::Init() { m_pchData = QelEmptyStringData()->data(); }

CQelStringW::CQelStringW() { Init(); }

CQelStringW::CQelStringW(const WCHAR* text) {
  Init();
  int n = SafeStrlen(text);
  if (n > 0 && AllocBuffer(n)) CopyUnits(m_pchData, text, n);
}

CQelStringW::CQelStringW(const CQelStringW& other) {
  CQelStringData* data = other.GetData();
  if (AtomicLoad(data->nRefs) >= 0) {
    m_pchData = other.m_pchData;
    AtomicIncrement(data->nRefs);
  } else if (data == QelEmptyStringData()) {
    Init();
  } else {
    Init();
    *this = other.m_pchData;
  }
}

CQelStringW::~CQelStringW() {
  if (!IsEmptyData()) Release(GetData());
}

void CQelStringW::Release(CQelStringData* data) {
  if (data == QelEmptyStringData()) return;
  if (AtomicDecrement(data->nRefs) <= 0) std::free(data);
}

void CQelStringW::Release() {
  if (!IsEmptyData()) {
    Release(GetData());
    Init();
  }
}

bool CQelStringW::AllocBuffer(int count) {
  if (count == 0) {
    Init();
    return true;
  }
  CQelStringData* data = NewData(count);
  if (!data) return false;
  m_pchData = data->data();
  return true;
}

bool CQelStringW::AllocBeforeWrite(int count) {
  CQelStringData* data = GetData();
  if (!IsEmptyData() && AtomicLoad(data->nRefs) < 2 && data->nAllocLength >= count) return true;
  Release();
  return AllocBuffer(count);
}

void CQelStringW::AssignCopy(int count, const WCHAR* text) {
  // Text from inside our own buffer is set aside before the buffer changes.
  std::u16string aside;
  if (text >= m_pchData && text <= m_pchData + GetData()->nAllocLength && count > 0) {
    aside.assign(text, size_t(count));
    text = aside.c_str();
  }
  if (!AllocBeforeWrite(count) || IsEmptyData()) return;
  CopyUnits(m_pchData, text, count);
  GetData()->nDataLength = count;
  m_pchData[count] = 0;
}

void CQelStringW::CopyBeforeWrite() {
  CQelStringData* data = GetData();
  if (AtomicLoad(data->nRefs) > 1) {
    CQelStringData* copy = NewData(data->nDataLength);
    if (!copy) return;  // stays shared: callers check before writing
    CopyUnits(copy->data(), data->data(), data->nDataLength);
    Release(data);
    m_pchData = copy->data();
  }
}

CQelStringW& CQelStringW::operator=(const CQelStringW& other) {
  if (m_pchData == other.m_pchData) return *this;
  CQelStringData* mine = GetData();
  CQelStringData* theirs = other.GetData();
  if ((AtomicLoad(mine->nRefs) < 0 && mine != QelEmptyStringData()) ||
      AtomicLoad(theirs->nRefs) < 0) {
    AssignCopy(theirs->nDataLength, other.m_pchData);
  } else {
    AtomicIncrement(theirs->nRefs);
    Release();
    m_pchData = other.m_pchData;
  }
  return *this;
}

CQelStringW& CQelStringW::operator=(const WCHAR* text) {
  AssignCopy(SafeStrlen(text), text);
  return *this;
}

bool CQelStringW::ConcatCopy(int countA, const WCHAR* a, int countB, const WCHAR* b) {
  if (countA < 0 || countB < 0 || countA > INT_MAX / 2 - countB) return false;
  int total = countA + countB;
  if (total == 0) return true;
  CQelStringData* data = NewData(total);
  if (!data) return false;
  CopyUnits(data->data(), a, countA);
  CopyUnits(data->data() + countA, b, countB);
  Release();
  m_pchData = data->data();
  return true;
}

void CQelStringW::ConcatInPlace(int count, const WCHAR* text) {
  if (count <= 0) return;
  CQelStringData* data = GetData();
  if (IsEmptyData() || AtomicLoad(data->nRefs) > 1 ||
      data->nDataLength + count > data->nAllocLength) {
    // Built first, old buffer released after: text may live inside it.
    CQelStringW joined;
    if (!joined.ConcatCopy(data->nDataLength, m_pchData, count, text)) return;
    std::swap(m_pchData, joined.m_pchData);
    return;
  }
  CopyUnits(m_pchData + data->nDataLength, text, count);
  data->nDataLength += count;
  m_pchData[data->nDataLength] = 0;
}

CQelStringW& CQelStringW::operator+=(const WCHAR* text) {
  ConcatInPlace(SafeStrlen(text), text);
  return *this;
}

CQelStringW& CQelStringW::operator+=(const CQelStringW& other) {
  CQelStringW keep(other);  // other may be *this
  ConcatInPlace(keep.GetLength(), keep.m_pchData);
  return *this;
}

CQelStringW operator+(const CQelStringW& a, const CQelStringW& b) {
  CQelStringW s;
  s.ConcatCopy(a.GetLength(), a.c_str(), b.GetLength(), b.c_str());
  return s;
}

CQelStringW operator+(const CQelStringW& a, const WCHAR* b) {
  CQelStringW s;
  s.ConcatCopy(a.GetLength(), a.c_str(), CQelStringW::SafeStrlen(b), b);
  return s;
}

CQelStringW operator+(const WCHAR* a, const CQelStringW& b) {
  CQelStringW s;
  s.ConcatCopy(CQelStringW::SafeStrlen(a), a, b.GetLength(), b.c_str());
  return s;
}

int CQelStringW::Find(WCHAR ch, int start) const {
  int length = GetLength();
  if (start < 0) start = 0;
  if (start >= length) return -1;
  for (int i = start; i < length; ++i) {
    if (m_pchData[i] == ch) return i;
  }
  return -1;
}

void CQelStringW::AllocCopy(CQelStringW& dest, int count, int start, int extra) const {
  int total = count + extra;
  if (total <= 0) {
    dest.Release();
    return;
  }
  dest.Release();
  if (dest.AllocBuffer(total)) {
    CopyUnits(dest.m_pchData, m_pchData + start, count);
    dest.GetData()->nDataLength = count;
    dest.m_pchData[count] = 0;
  }
}

CQelStringW CQelStringW::Mid(int start) const { return Mid(start, INT_MAX); }

CQelStringW CQelStringW::Mid(int start, int count) const {
  int length = GetLength();
  if (start < 0) start = 0;
  if (count < 0) count = 0;
  if (start > length) start = length;
  if (count > length - start) count = length - start;
  CQelStringW s;
  AllocCopy(s, count, start, 0);
  return s;
}

CQelStringW CQelStringW::Left(int count) const {
  if (count < 0) count = 0;
  if (count >= GetLength()) return *this;
  CQelStringW s;
  AllocCopy(s, count, 0, 0);
  return s;
}

int CQelStringW::Replace(const WCHAR* oldText, const WCHAR* newText) {
  int oldLen = SafeStrlen(oldText);
  if (oldLen == 0) return 0;
  int newLen = SafeStrlen(newText);
  std::u16string_view hay(m_pchData, size_t(GetLength()));
  std::u16string_view needle(oldText, size_t(oldLen));
  int found = 0;
  for (size_t at = hay.find(needle); at != hay.npos; at = hay.find(needle, at + oldLen)) ++found;
  if (found == 0) return 0;

  int64_t resultLen = int64_t(GetLength()) + int64_t(found) * (newLen - oldLen);
  if (resultLen > INT_MAX / 4) return -1;
  // Built aside: the new text may point into this string.
  std::u16string result;
  result.reserve(size_t(resultLen));
  size_t from = 0;
  for (size_t at = hay.find(needle); at != hay.npos; at = hay.find(needle, at + oldLen)) {
    result.append(hay.substr(from, at - from));
    result.append(newText, size_t(newLen));
    from = at + oldLen;
  }
  result.append(hay.substr(from));

  CopyBeforeWrite();
  CQelStringData* data = GetData();
  if (AtomicLoad(data->nRefs) > 1) return -1;
  if (int(result.size()) > data->nAllocLength) {
    CQelStringData* grown = NewData(int(result.size()));
    if (!grown) return -1;
    Release();
    m_pchData = grown->data();
  }
  CopyUnits(m_pchData, result.data(), int(result.size()));
  if (!IsEmptyData()) {
    GetData()->nDataLength = int(result.size());
    m_pchData[result.size()] = 0;
  }
  return found;
}

void CQelStringW::FormatV(const WCHAR* format, va_list args) {
  std::u16string out;
  qel_vformat(out, format, args);
  if (out.size() > size_t(INT_MAX / 4)) return;
  AssignCopy(int(out.size()), out.c_str());
}

void CQelStringW::Format(const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

int CQelStringW::GetUTF8String(char* buffer, int size) const {
  if (!m_pchData || !buffer || size <= 0) return 0;
  if (QelUTF16ToUTF8(m_pchData, GetLength(), buffer, size_t(size)) < 0) return 0;
  return GetLength();
}

std::string CQelStringW::ToUTF8() const {
  return QelToUTF8(std::u16string_view(m_pchData, size_t(GetLength())));
}

int CQelStringW::MakeFSRef(std::string* utf8Path) const {
  if (IsEmpty()) return 0;
  std::string path = ToUTF8();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  if (utf8Path) *utf8Path = std::move(path);
  return 1;
}
