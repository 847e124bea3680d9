// The main program's entry. It runs the framework's steps itself because
// SIGTERM and SIGINT must go through the program's quit rule (which may
// swallow them) rather than end the loop unconditionally.
#include "MyQelApp.h"

int main(int argc, char** argv) {
  theApp.argc = argc;
  theApp.argv = argv;
  switch (theApp.StartCommandLineServer(argc, argv)) {
    case CMyQelApp::StartRole::HandedOver:
      return 0;
    case CMyQelApp::StartRole::Failed:
      return 1;
    case CMyQelApp::StartRole::Primary:
      break;
  }
  if (theApp.InitInstance() == 0) {
    theApp.ExitInstance();
    return 1;
  }
  theApp.Run();
  return theApp.ExitInstance();
}
