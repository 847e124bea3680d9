#pragma once
// The print layout control's bundle, staged beside this one: loaded and its
// 'prtc' element class registered for the length of the call, so the
// dialog's layout can name the element.
#include <string>

#include "qel/QelLibrary.h"

class CPrintCtrlBundle {
 public:
  // `contents`: the main bundle's Contents folder (UTF-8).
  explicit CPrintCtrlBundle(const std::string& contents);
  ~CPrintCtrlBundle();
  CPrintCtrlBundle(const CPrintCtrlBundle&) = delete;
  CPrintCtrlBundle& operator=(const CPrintCtrlBundle&) = delete;

  bool Ready() const { return m_bRegistered; }

 private:
  QelLibraryRef m_library = nullptr;
  bool m_bRegistered = false;
};
