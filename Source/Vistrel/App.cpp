#include "App.h"

CApp theApp;
CApp* g_pApp = &theApp;

CApp::~CApp() { ClearFileList(); }

void CApp::ClearFileList() {
  for (tag_FILE_INFO* info : m_Filelist) delete info;
  m_Filelist.clear();
}
