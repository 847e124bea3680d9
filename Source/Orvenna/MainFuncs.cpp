#include "MainFuncs.h"

#include <glib.h>

#include <string>

#include "ORVPubTools.h"
#include "os/Bundle.h"
#include "qel/QelElement.h"
#include "qel/QelFile.h"
#include "qel/QelPath.h"
#include "qel/QelWideText.h"

namespace {

bool HasUnpairedSurrogate(const WCHAR* text) {
  for (const WCHAR* p = text; *p; ++p) {
    if (*p >= 0xD800 && *p <= 0xDBFF) {
      if (p[1] < 0xDC00 || p[1] > 0xDFFF) return true;
      ++p;
    } else if (*p >= 0xDC00 && *p <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// Copies a UTF-8 path into a UTF-16 buffer whole, or not at all.
bool CopyPath(const std::string& utf8, WCHAR* buffer, size_t size) {
  std::u16string wide = QelFromUTF8(utf8);
  if (wide.size() + 1 > size) return false;
  return qel_wcslcpy(buffer, wide.c_str(), size);
}

bool FileExists(const std::string& path) {
  return !path.empty() && MyTLIsFileExist(QelFromUTF8(path).c_str());
}

}  // namespace

int CheckStringEndCharIsBackslash(WCHAR* text, int append) {
  if (!text || !*text) return 0;
  size_t length = qel_wcslen(text);
  if (text[length - 1] == u'/') return 1;
  if (append) {
    text[length] = u'/';
    text[length + 1] = 0;
  }
  return 0;
}

int CheckStringEndCharIsBackslash(CQelStringW& text, int append) {
  if (text.IsEmpty()) return 0;
  if (text[text.GetLength() - 1] == u'/') return 1;
  if (append) text += u"/";
  return 0;
}

int MyTLIsFileExist(const WCHAR* path) {
  if (!path) return 0;
  Qel0FSRef ref = Qel0FSRCreateWithPath(path);
  if (!ref) return 0;
  int exists = Qel0FSRIsExist(ref) ? 1 : 0;
  Qel0FSRRelease(ref);
  return exists;
}

int Zyl_UTF8ToUnicode(const char* utf8, WCHAR* buffer, size_t capacity) {
  if (!utf8 || !buffer || capacity == 0) return 0;
  buffer[0] = 0;
  if (!g_utf8_validate(utf8, -1, nullptr)) return 0;
  if (QelUTF8ToUTF16(utf8, -1, buffer, capacity) < 0) {
    buffer[0] = 0;  // half a text is worse than none
    return 0;
  }
  return 1;
}

int Zyl_UnicodeToUTF8(const WCHAR* text, char* buffer, size_t size) {
  if (!text || !buffer || size == 0) return 0;
  buffer[0] = 0;
  if (HasUnpairedSurrogate(text)) return 0;
  if (QelUTF16ToUTF8(text, -1, buffer, size) < 0) {
    buffer[0] = 0;
    return 0;
  }
  return 1;
}

WCHAR* GetModulePath(const plat::Bundle* bundle, WCHAR* buffer, size_t size) {
  if (!buffer || size == 0) return nullptr;
  std::string path;
  if (bundle) {
    path = bundle->path();
  } else if (auto main = plat::Bundle::Main()) {
    path = main->path();
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return nullptr;
  std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  return CopyPath(folder, buffer, size) ? buffer : nullptr;
}

void GetCornerPath(WCHAR (*paths)[kCornerPathUnits]) {
  if (!paths) return;
  auto main = plat::Bundle::Main();
  if (!main) return;
  const char* names[2] = {"MainWndLT.bmp", "MainWndRT.bmp"};
  for (int i = 0; i < 2; ++i) {
    // A localised copy wins over the shared one, as resource look-up does.
    for (const std::string& folder : {main->LocalizedResourcesPath(), main->ResourcesPath()}) {
      std::string file = folder + "/" + names[i];
      if (FileExists(file) && CopyPath(file, paths[i], kCornerPathUnits)) break;
    }
  }
}

int vPtInQelObj(QelObject element, int32_t x, int32_t y) {
  qel::Element* e = qel::Element::From(element);
  if (!e || !e->Visible() || !e->Enabled()) return 0;
  POINT origin = e->Position();
  SIZE size = e->LaidOutSize();
  SRect32 rect{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  return CORVPubTools::PtInRect(&rect, POINT{x, y});
}
