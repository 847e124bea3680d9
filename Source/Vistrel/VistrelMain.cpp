// Dunsellow Vistrel: the photo viewer. One instance per user: a second start
// hands its command line to the running viewer and ends.
#include "App.h"
#include "CmdLineProcessor.h"
#include "MainFrame.h"
#include "VdlProgramMain.h"

int main(int argc, char** argv) {
  theApp.argc = argc;
  theApp.argv = argv;
  // SIGTERM (the main program ending the viewer on a module switch) and
  // SIGINT close the window, which stops the readers.
  return Vardel::RunSingleInstanceProgram(kVistrelBundleId, "Dunsellow Vistrel", CCmdLineProcessor::FromArguments(argc, argv),
                                          theApp, [] {
                                            if (CMainFrame* main = theApp.GetMainFrame(); main && main->IsCreated())
                                              main->Close();
                                          });
}
