#include "PrintCtrlBundle.h"

#include <cstdint>
#include <cstdio>

#include "qel/QelWideText.h"

namespace {

using PFN_PrintControl = int32_t (*)();

}  // namespace

CPrintCtrlBundle::CPrintCtrlBundle(const std::string& contents) {
  const std::string path = contents + "/QelPrintCtrl.bundle";
  m_library = QelLoadLibrary(QelFromUTF8(path).c_str());
  auto init = m_library ? reinterpret_cast<PFN_PrintControl>(QelGetProcAddress(m_library, "PrintControlInit")) : nullptr;
  if (!init) {
    std::fprintf(stderr, "print: the print layout control \"%s\" cannot be used\n", path.c_str());
    return;
  }
  m_bRegistered = init() == 1;
}

CPrintCtrlBundle::~CPrintCtrlBundle() {
  if (!m_library) return;
  if (m_bRegistered) {
    if (auto uninit = reinterpret_cast<PFN_PrintControl>(QelGetProcAddress(m_library, "PrintControlUninit"))) uninit();
  }
  QelFreeLibrary(m_library);
}
