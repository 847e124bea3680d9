// Dunsellow Vistrel: the photo viewer. One instance per user: a second start
// hands its command line to the running viewer and ends.
#include <cstdio>

#include "App.h"
#include "CmdLineProcessor.h"
#include "MainFrame.h"
#include "os/AppleEvents.h"
#include "os/CommandLineServer.h"

int main(int argc, char** argv) {
  theApp.argc = argc;
  theApp.argv = argv;
  std::optional<std::u16string> text = CCmdLineProcessor::FromArguments(argc, argv);
  plat::CommandLineServer server(kVistrelBundleId);
  switch (server.ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      if (plat::HandOverCommandLine(kVistrelBundleId, text.value_or(u""))) return 0;
      std::fprintf(stderr, "Dunsellow Vistrel: the running viewer did not take the command line\n");
      return 1;
    case plat::CommandLineServer::Claim::Failed:
      std::fprintf(stderr, "Dunsellow Vistrel: cannot take the instance lock; running without command lines\n");
      break;
    case plat::CommandLineServer::Claim::Primary:
      // The start-up text becomes the first 'odoc'; it waits for the handler
      // that the main window's set-up installs.
      if (!server.Listen(text))
        std::fprintf(stderr, "Dunsellow Vistrel: cannot listen on %s\n", server.socketPath().c_str());
      break;
  }
  // SIGTERM (the main program ending the viewer on a module switch) and
  // SIGINT close the window, which stops the readers, and end the loop.
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
