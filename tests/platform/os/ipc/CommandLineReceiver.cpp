// A small receiving program for the command-line and process tests. Its
// bundle is the main bundle (DUNSELLOW_BUNDLE, else the ".app" above the
// executable); every line it handles is appended to $RECEIVER_LOG:
// "P<pid>" when it became the running instance, "S<pid>" when it handed its
// command line over, "T<text>" for each command line received, "Q" on quit.
#include "os/AppleEvents.h"
#include "os/CommandLineServer.h"
#include "os/Bundle.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void Log(const std::string& line) {
  const char* path = std::getenv("RECEIVER_LOG");
  if (!path) return;
  int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  std::string l = line + "\n";
  (void)!::write(fd, l.data(), l.size());
  ::close(fd);
}

std::string Utf8(const std::u16string& s) {
  gchar* u = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(s.data()), static_cast<glong>(s.size()), nullptr,
                             nullptr, nullptr);
  std::string r = u ? u : "?";
  g_free(u);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  auto bundle = plat::Bundle::Main();
  if (!bundle || bundle->Identifier().empty()) return 2;
  auto id = std::optional<std::string>(bundle->Identifier());
  auto text = plat::StartupCommandLine(argc, argv);

  plat::CommandLineServer server(*id);
  switch (server.ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      Log("S" + std::to_string(getpid()));
      return plat::HandOverCommandLine(*id, text.value_or(u"")) ? 0 : 1;
    case plat::CommandLineServer::Claim::Failed:
      return 3;
    case plat::CommandLineServer::Claim::Primary:
      break;
  }
  Log("P" + std::to_string(getpid()));

  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments,
                              [](const plat::AppleEvent& e, intptr_t) {
                                std::u16string t;
                                int32_t err = e.GetCommandLine(&t);
                                if (err == plat::kAENoErr) Log("T" + Utf8(t));
                                return err;
                              },
                              0);
  plat::WatchQuitSignals([loop] {
    Log("Q");
    g_main_loop_quit(loop);
  });
  if (!server.Listen(text)) return 4;
  g_main_loop_run(loop);
  plat::StopQuitSignals();
  g_main_loop_unref(loop);
  return 0;
}
