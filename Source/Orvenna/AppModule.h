#pragma once
// Program-wide handles of the main program, recorded once at start-up.
#include "qel/QelTypes.h"

class CMyMainFrame;

class CMyAppModule {
 public:
  // 0 for a null frame; a second frame is a start-up fault (asserted).
  int SetMainFrame(CMyMainFrame* frame);
  CMyMainFrame* GetMainFrame() const { return m_pMainFrame; }

  void* m_hModuleInst = nullptr;
  void* m_hResourceInst = nullptr;
  QelObject m_hRootPanel = nullptr;
  WindowRef m_hMainWnd = nullptr;

 private:
  CMyMainFrame* m_pMainFrame = nullptr;
};

extern CMyAppModule g_AppModule;
CMyAppModule& vGetAppModule();
