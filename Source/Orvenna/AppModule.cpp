#include "AppModule.h"

#include <cassert>

CMyAppModule g_AppModule;

CMyAppModule& vGetAppModule() { return g_AppModule; }

int CMyAppModule::SetMainFrame(CMyMainFrame* frame) {
  if (!frame) return 0;
  assert(NULL == m_pMainFrame);
  m_pMainFrame = frame;
  return 1;
}
