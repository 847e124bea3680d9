// Dunsellow Playvane: the media player. One instance per user: a second
// start hands its command line to the running player and ends.
#include "App.h"
#include "MainFrame.h"
#include "VdlProgramMain.h"
#include "os/CommandLineServer.h"

int main(int argc, char** argv) {
  // SIGTERM (the main program ending the player on a module switch) and
  // SIGINT close the window, which stops playing.
  return Vardel::RunSingleInstanceProgram(kPlayvaneBundleId, "Dunsellow Playvane", plat::StartupCommandLine(argc, argv),
                                          theApp, [] {
                                            if (CMainFrame* main = theApp.GetMainFrame(); main && main->IsCreated())
                                              main->Close();
                                          });
}
