// Dunsellow Playvane: the media player. One instance per user: a second
// start hands its command line to the running player and ends. Files given
// as arguments (the desktop's "Open with") travel as quoted paths.
#include "App.h"
#include "MainFrame.h"
#include "VdlCommandLineText.h"
#include "VdlProgramMain.h"

int main(int argc, char** argv) {
  // SIGTERM (the main program ending the player on a module switch) and
  // SIGINT close the window, which stops playing.
  return Vardel::RunSingleInstanceProgram(kPlayvaneBundleId, "Dunsellow Playvane", Vardel::CommandLineFromArguments(argc, argv, "Dunsellow Playvane"),
                                          theApp, [] {
                                            if (CMainFrame* main = theApp.GetMainFrame(); main && main->IsCreated())
                                              main->Close();
                                          });
}
