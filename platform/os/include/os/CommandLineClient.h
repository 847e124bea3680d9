#pragma once
// The sending side of command lines: address a running program over its
// socket, or start it with the text as its argument.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

enum class SendStatus {
  Accepted,    // the running instance took the frame
  Rejected,    // it answered that the frame was not acceptable
  NotRunning,  // nobody listens on the socket
  Failed,      // no runtime folder, text too long, or the exchange broke off
};

// Sends one frame to "<RuntimeFolder()>/<bundleId>.cmdl". `blockBytes`
// zero-pads the payload to a fixed block when the text fits in it. While the
// program is busy with other clients the frame is sent again, within
// `timeout`; Accepted means the program took it.
SendStatus SendCommandLine(const std::string& bundleId, const std::u16string& text, uint32_t blockBytes = 0,
                           std::chrono::milliseconds timeout = std::chrono::seconds(2));

// true when a program listens on the socket of `bundleId` (probed with a
// connection that is closed at once; the listener drops it unanswered).
bool IsCommandLineListening(const std::string& bundleId);

enum class LaunchStatus {
  Delivered,  // a running instance accepted the command line
  Launched,   // the program was started with the command line as its argument
  Failed,     // no bundle/identifier/executable, spawn failed, or the frame was refused
};

// Opens the program of the bundle at `bundlePath` (its Info.plist gives the
// identifier and the executable) with `text` as its command line: sends it
// to the running instance, else starts "Contents/MacOS/<exe> --cmdl=<text>"
// detached (own session, argv without a shell). A lock file settles two
// launches at once: the second waits for the first instance's socket and
// sends to it, so one instance ends up running.
LaunchStatus OpenWithCommandLine(const std::string& bundlePath, const std::u16string& text,
                                 uint32_t blockBytes = 0);

// Starts `argv` detached; true when the process was started. Tests replace
// it with a recorder (pass nullptr to restore the real one).
using SpawnFunction = std::function<bool(const std::vector<std::string>& argv,
                                         const std::vector<std::string>& extraEnv)>;
void SetSpawnFunction(SpawnFunction spawn);
bool SpawnDetached(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv);

// How long a launcher waits for a started program's socket (default 10 s).
void SetLaunchWait(std::chrono::milliseconds wait);

}  // namespace plat
