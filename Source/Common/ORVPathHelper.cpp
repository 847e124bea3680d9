#include "ORVPathHelper.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "qel/QelWideText.h"

namespace {

constexpr WCHAR kBackslash = u'\\';

std::u16string Text(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(); }

// A writable copy of `text` with `extra` spare units and the terminator.
std::vector<WCHAR> Buffer(const std::u16string& text, size_t extra) {
  std::vector<WCHAR> buffer(text.size() + extra + 1, 0);
  std::copy(text.begin(), text.end(), buffer.begin());
  return buffer;
}

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

int lstrcmpiW(const WCHAR* a, const WCHAR* b) { return qel_wcscmpi(a, b); }

CQelStringW ExpandTildePath(const CQelStringW& path) {
  if (path.IsEmpty() || path[0] != u'/') return path;
  std::error_code ec;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path.ToUTF8(), ec);
  if (ec || resolved.empty()) return path;
  std::u16string text = QelFromUTF8(resolved.string());
  while (text.size() > 1 && text.back() == u'/') text.pop_back();
  if (path[path.GetLength() - 1] == u'/' && text.back() != u'/') text.push_back(u'/');
  return CQelStringW(text.c_str());
}

CQelStringW CORVPathHelper::GetPathDriver(const WCHAR* path) {
  WCHAR drive[QEL_MAX_PATH] = {};
  if (!path || QelGetPathDriver(path, drive, QEL_MAX_PATH) <= 0) return CQelStringW();
  return CQelStringW(drive);
}

CQelStringW CORVPathHelper::FindExtension(const WCHAR* path) {
  return path ? CQelStringW(QelPathFindExtension(path)) : CQelStringW();
}

CQelStringW CORVPathHelper::FindFileName(const WCHAR* path) {
  if (!path) return CQelStringW();
  std::vector<WCHAR> buffer = Buffer(path, 0);
  QelPathRemoveSlash(buffer.data());
  return CQelStringW(QelPathFindFileName(buffer.data()));
}

void CORVPathHelper::RemoveBacksplash(WCHAR* path, int native) {
  if (!path) return;
  if (native) {
    QelPathRemoveSlash(path);
    return;
  }
  size_t n = qel_wcslen(path);
  if (n > 0 && path[n - 1] == kBackslash) path[n - 1] = 0;
}

void CORVPathHelper::RemoveBacksplash(CQelStringW& path, int native) {
  if (path.IsEmpty()) return;
  std::vector<WCHAR> buffer = Buffer(path.c_str(), 0);
  RemoveBacksplash(buffer.data(), native);
  path = buffer.data();
}

void CORVPathHelper::AddBackslash(WCHAR* path, int native, size_t size) {
  if (!path) return;
  if (native) {
    QelPathAddSlash(path, size);
    return;
  }
  size_t n = qel_wcslen(path);
  if (n == 0 || path[n - 1] == kBackslash || n + 2 > size) return;
  path[n] = kBackslash;
  path[n + 1] = 0;
}

void CORVPathHelper::AddBackslash(CQelStringW& path, int native) {
  if (path.IsEmpty()) return;
  std::vector<WCHAR> buffer = Buffer(path.c_str(), 1);
  AddBackslash(buffer.data(), native, buffer.size());
  path = buffer.data();
}

CQelStringW CORVPathHelper::MakeFullPath(const WCHAR* base, const WCHAR* name, int native) {
  std::u16string b = Text(base);
  std::u16string n = Text(name);
  std::vector<WCHAR> buffer = Buffer(b, n.size() + 2);
  if (native) {
    if (!QelPathAppend(buffer.data(), n.c_str(), buffer.size())) return CQelStringW();
  } else {
    AddBackslash(buffer.data(), 0, buffer.size());
    qel_wcslcat(buffer.data(), n.c_str(), buffer.size());
  }
  return CQelStringW(buffer.data());
}

int CORVPathHelper::RemoveFileSpec(WCHAR* path) { return path && QelPathRemoveFileSpec(path) ? 1 : 0; }

int CORVPathHelper::RemoveFileSpec(CQelStringW& path) {
  if (path.IsEmpty()) return 0;
  std::vector<WCHAR> buffer = Buffer(path.c_str(), 0);
  if (!QelPathRemoveFileSpec(buffer.data())) return 0;
  path = buffer.data();
  return 1;
}

// Prefixes are matched exactly: on a case-sensitive file system two
// spellings that differ in case name different folders.
CQelStringW CORVPathHelper::ReplaceUpLevelPath(const WCHAR* path, const WCHAR* oldPrefix,
                                               const WCHAR* newPrefix) {
  if (!path || !oldPrefix || !newPrefix) return CQelStringW();
  std::u16string p(path);
  std::u16string old(oldPrefix);
  if (!StartsWith(p, old)) return CQelStringW();
  std::u16string result = std::u16string(newPrefix) + p.substr(old.size());
  return CQelStringW(result.c_str());
}

int CORVPathHelper::FileInSameFolder(const WCHAR* a, const WCHAR* b) {
  if (!a || !b) return 0;
  CQelStringW folderA(a);
  CQelStringW folderB(b);
  for (CQelStringW* folder : {&folderA, &folderB}) {
    RemoveBacksplash(*folder, 1);
    RemoveFileSpec(*folder);
  }
  return qel_wcscmp(ExpandTildePath(folderA), ExpandTildePath(folderB)) == 0 ? 1 : 0;
}

int CORVPathHelper::IsSameRoot(const WCHAR* a, const WCHAR* b) { return QelPathIsSameRoot(a, b) ? 1 : 0; }
int CORVPathHelper::IsDirectory(const WCHAR* path) { return QelPathIsDirectory(path) ? 1 : 0; }
int CORVPathHelper::IsFileExists(const WCHAR* path) { return QelPathFileExists(path) ? 1 : 0; }
int CORVPathHelper::IsUNC(const WCHAR* path) { return QelPathIsUNC(path) ? 1 : 0; }
int CORVPathHelper::IsRoot(const WCHAR* path) { return QelPathIsRoot(path) ? 1 : 0; }

CQelStringW CORVPathHelper::GetRelativePath(const WCHAR* path) {
  CQelStringW result(path);
  AddBackslash(result, 1);
  if (IsUNC(result)) return result;
  CQelStringW drive = GetPathDriver(result);
  if (!drive.IsEmpty() && qel_wcsnicmp(result, drive, size_t(drive.GetLength())) == 0)
    result = result.Mid(drive.GetLength());
  return result;
}

CQelStringW CORVPathHelper::GetFileRelativePath(const WCHAR* path) {
  CQelStringW folder(path);
  RemoveFileSpec(folder);
  return GetRelativePath(folder);
}

int CORVPathHelper::CommonPrefix(const WCHAR* a, const WCHAR* b, WCHAR* out, size_t size) {
  return QelPathCommonPrefix(a, b, out, size);
}

int CORVPathHelper::CommonPrefix(const WCHAR* a, const WCHAR* b, CQelStringW& out) {
  if (!a || !b) return 0;
  std::vector<WCHAR> buffer(qel_wcslen(a) + 1, 0);  // the prefix is never longer than a
  int length = QelPathCommonPrefix(a, b, buffer.data(), buffer.size());
  out = buffer.data();
  return length;
}

// Both paths are resolved first, so two spellings of one folder (a link, a
// "..") still compare equal; the comparison itself is exact.
int CORVPathHelper::PathInPath(const WCHAR* a, const WCHAR* b) {
  if (!a || !b || !*a || !*b) return 0;
  CQelStringW pa = ExpandTildePath(CQelStringW(a));
  CQelStringW pb = ExpandTildePath(CQelStringW(b));
  AddBackslash(pa, 1);
  AddBackslash(pb, 1);
  std::u16string sa(pa.c_str());
  std::u16string sb(pb.c_str());
  if (sa.size() < sb.size()) return StartsWith(sb, sa) ? 1 : 0;
  if (sa.size() == sb.size()) return sa == sb ? -2 : 0;
  return StartsWith(sa, sb) ? -1 : 0;
}
