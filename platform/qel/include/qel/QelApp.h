#pragma once
// The program entry: the program defines one global application object
// (derived from CQelApp); QelAppMain calls its InitInstance (0 ends the
// program), runs the main loop on the default GMainContext until Quit, and
// calls ExitInstance last. SIGINT and SIGTERM end the loop cleanly.
#include "qel/QelWindow.h"

class QEL_API CQelApp {
 public:
  CQelApp();
  virtual ~CQelApp();

  virtual int32_t Run();
  virtual int32_t InitInstance();
  virtual int32_t ExitInstance();

  // A string table (the caller releases it); null when it cannot be read.
  QelObject CreateAUI(const WCHAR* path);
  QelObject CreateAUI(const char* path);
  void SetQelMainWnd(CQelWindow* w) { main_ = w; }
  CQelWindow* GetQelMainWnd() const { return main_; }

  // Ends the main loop (and any modal loop) with an exit code.
  void Quit(int32_t code = 0);
  bool QuitRequested() const { return quit_; }

  int argc = 0;
  char** argv = nullptr;

  static CQelApp* GetApp();

 private:
  CQelWindow* main_ = nullptr;
  GMainLoop* loop_ = nullptr;
  bool quit_ = false;
  int32_t code_ = 0;
};

QEL_API int QelAppMain(int argc, char** argv);

#define QEL_APP_MAIN() \
  int main(int argc, char** argv) { return QelAppMain(argc, argv); }
