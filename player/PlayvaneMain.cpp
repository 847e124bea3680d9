// Dunsellow Playvane: the media player. One instance per user: a second
// start hands its command line to the running player and ends.
#include <cstdio>

#include "App.h"
#include "MainFrame.h"
#include "os/AppleEvents.h"
#include "os/CommandLineServer.h"

int main(int argc, char** argv) {
  std::optional<std::u16string> text = plat::StartupCommandLine(argc, argv);
  plat::CommandLineServer server(kPlayvaneBundleId);
  switch (server.ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      if (plat::HandOverCommandLine(kPlayvaneBundleId, text.value_or(u""))) return 0;
      std::fprintf(stderr, "Dunsellow Playvane: the running player did not take the command line\n");
      return 1;
    case plat::CommandLineServer::Claim::Failed:
      std::fprintf(stderr, "Dunsellow Playvane: cannot take the instance lock; running without command lines\n");
      break;
    case plat::CommandLineServer::Claim::Primary:
      // The start-up text becomes the first 'odoc' once the main window's
      // set-up has installed the handler.
      if (!server.Listen(text))
        std::fprintf(stderr, "Dunsellow Playvane: cannot listen on %s\n", server.socketPath().c_str());
      break;
  }
  // SIGTERM (the main program ending the player on a module switch) and
  // SIGINT close the window, which stops playing, and end the loop.
  plat::WatchQuitSignals([] {
    if (CMainFrame* main = theApp.GetMainFrame(); main && main->IsCreated()) main->Close();
    theApp.Quit(0);
  });
  int code = 1;
  if (theApp.InitInstance() != 0) {
    theApp.Run();
    code = theApp.ExitInstance();
  } else {
    theApp.ExitInstance();
  }
  plat::StopQuitSignals();
  return code;
}
