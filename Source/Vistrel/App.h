#pragma once
// The viewer's application object: the list of pictures to show, the
// program's start-up and its end.
#include <vector>

#include "FileInfo.h"
#include "qel/QelApp.h"

class CApp : public CQelApp {
 public:
  CApp() = default;
  ~CApp() override;

  // The pictures to show, in display order; callers read and change it in
  // place (main thread only).
  FileList* GetFilelist() { return &m_Filelist; }
  // Deletes every record, then empties the list.
  void ClearFileList();

 private:
  FileList m_Filelist;
};

extern CApp theApp;
extern CApp* g_pApp;
