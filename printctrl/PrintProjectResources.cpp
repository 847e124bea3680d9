// The control's own resources: the "UI" folder of the bundle that holds
// this code, and the texts of its string table "prctRes.aui".
#include <dlfcn.h>

#include <filesystem>

#include "PrintProject.h"
#include "qel/QelElement.h"
#include "qel/QelLayout.h"

namespace {

// Exactly two whole-number conversions ("%d"), any "%%" aside.
bool TwoNumbers(const std::u16string& f) {
  int n = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != u'%') continue;
    if (i + 1 < f.size() && f[i + 1] == u'%') {
      ++i;
      continue;
    }
    if (i + 1 >= f.size() || f[i + 1] != u'd') return false;
    ++n, ++i;
  }
  return n == 2;
}

// Leading decimal digits, bounded; 0 without any.
int32_t Number(const std::u16string& s) {
  int32_t v = 0;
  for (char16_t c : s) {
    if (c < u'0' || c > u'9' || v > 100000) break;
    v = v * 10 + (c - u'0');
  }
  return v;
}

}  // namespace

std::u16string CPrintProject::BundleResourceFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&TwoNumbers), &info) || !info.dli_fname) return {};
  // <bundle>/Contents/MacOS/<name>.so: the interface folder is Contents/UI.
  std::filesystem::path p = std::filesystem::path(info.dli_fname).parent_path().parent_path() / "UI";
  std::string s = p.string() + "/";
  return qel::ToU16(s);
}

void CPrintProject::_LoadRes() {
  if (m_resFolder.empty()) return;
  auto* table = new qel::StringTable();
  if (table->Load(qel::ToU8(m_resFolder) + "prctRes.aui")) {
    auto text = [&](int32_t id) -> const std::u16string* {
      const std::u16string* s = table->Find(id);
      return s && !s->empty() ? s : nullptr;
    };
    if (auto* s = text(2); s && TwoNumbers(*s)) m_pageNumFormat = *s;
    if (auto* s = text(3)) m_emptyLabel = *s;
    if (auto* s = text(4)) m_fontSize217 = Number(*s);
    if (auto* s = text(6)) m_fontSize216 = Number(*s);
  }
  table->Release();
}
