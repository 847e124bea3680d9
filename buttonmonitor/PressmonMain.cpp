// The camera button monitor: runs in the background from login, polls the
// camera's buttons and hands their commands to the main program.
//
//   Pressmon [-debug YES]
// The preference "debug" (domain com.talvexa.pressmon) or the argument turns
// on the debug window. PRESSMON_FAKE_USB=<script file> runs on a scripted bus
// (see usb/FakeUsbBus.h) instead of the real one.
#include <glib-unix.h>
#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "BMMainController.h"
#include "BMMainProgramLink.h"
#include "BMTimers.h"
#include "os/Bundle.h"
#include "os/CommandLineServer.h"
#include "os/Preferences.h"
#include "usb/FakeUsbBus.h"
#include "usb/LibusbBus.h"

namespace {

constexpr char kPressmonIdentifier[] = "com.talvexa.pressmon";

bool IsYes(const char* text) {
  return std::strcmp(text, "YES") == 0 || std::strcmp(text, "yes") == 0 || std::strcmp(text, "1") == 0 ||
         std::strcmp(text, "true") == 0;
}

// The user default "debug", which a "-debug YES" argument overrides.
bool ReadDebugDefault(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-debug") == 0) return IsYes(argv[i + 1]);
  }
  return plat::Preferences::ForDomain(kPressmonIdentifier).GetBool("debug", false);
}

std::unique_ptr<plat::usb::Bus> OpenBus() {
  if (const char* script = std::getenv("PRESSMON_FAKE_USB")) {
    std::ifstream in(script);
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    auto bus = in ? plat::usb::FakeUsbBus::FromScript(text.str(), &error) : nullptr;
    if (!bus) std::fprintf(stderr, "Pressmon: cannot use the USB script %s: %s\n", script, error.c_str());
    return bus;
  }
  std::string error;
  auto bus = plat::usb::OpenLibusbBus(&error);
  if (!bus) std::fprintf(stderr, "Pressmon: USB is not available (%s); waiting without a camera\n", error.c_str());
  return bus;
}

gboolean Quit(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  // Signals first: a SIGTERM that comes at once still ends the program cleanly.
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  guint term = g_unix_signal_add(SIGTERM, Quit, loop);
  guint intr = g_unix_signal_add(SIGINT, Quit, loop);

  // One monitor per user: a second would send every command twice.
  plat::CommandLineServer instance(kPressmonIdentifier);
  switch (instance.ClaimInstance()) {
    case plat::CommandLineServer::Claim::Secondary:
      std::fprintf(stderr, "Pressmon is already running\n");
      g_source_remove(term);
      g_source_remove(intr);
      g_main_loop_unref(loop);
      return 0;
    case plat::CommandLineServer::Claim::Failed:
      std::fprintf(stderr, "Pressmon: no private runtime folder; running without the single-instance check\n");
      break;
    case plat::CommandLineServer::Claim::Primary:
      break;
  }

  {
    std::unique_ptr<plat::usb::Bus> bus = OpenBus();
    BMGLibTimers timers;
    BMMainProgramLink program(plat::Bundle::ApplicationsFolder());
    BMMainController controller(timers, bus.get(), program);
    controller.applicationDidFinishLaunching(ReadDebugDefault(argc, argv));
    g_main_loop_run(loop);
  }
  g_source_remove(term);
  g_source_remove(intr);
  g_main_loop_unref(loop);
  return 0;
}
