#include "VdlProgramMain.h"

#include <cstdio>

#include "os/AppleEvents.h"
#include "os/CommandLineServer.h"

namespace Vardel {

int RunSingleInstanceProgram(const char* bundleId, const char* programName,
                             const std::optional<std::u16string>& commandLine, CQelApp& app,
                             const std::function<void()>& onQuitSignal) {
  plat::CommandLineServer server(bundleId);
  switch (server.ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      if (plat::HandOverCommandLine(bundleId, commandLine.value_or(u""))) return 0;
      std::fprintf(stderr, "%s: the running instance did not take the command line\n", programName);
      return 1;
    case plat::CommandLineServer::Claim::Failed:
      std::fprintf(stderr, "%s: cannot take the instance lock; running without command lines\n", programName);
      break;
    case plat::CommandLineServer::Claim::Primary:
      // The start-up text becomes the first 'odoc'; it waits for the handler.
      if (!server.Listen(commandLine))
        std::fprintf(stderr, "%s: cannot listen on %s\n", programName, server.socketPath().c_str());
      break;
  }
  plat::WatchQuitSignals([&app, onQuitSignal] {
    if (onQuitSignal) onQuitSignal();
    app.Quit(0);
  });
  int code = 1;
  if (app.InitInstance() != 0) {
    app.Run();
    code = app.ExitInstance();
  } else {
    app.ExitInstance();
  }
  plat::StopQuitSignals();
  return code;
}

}  // namespace Vardel
