#pragma once
// Bundles holding the test receiver program, and clean-up of every process
// the tests start (this process becomes their subreaper, so even detached
// instances are reaped here).
#include <filesystem>
#include <string>
#include <vector>

namespace ostest {

struct ReceiverBundle {
  std::filesystem::path bundle;  // ".../<name>.app"
  std::string identifier;
  std::filesystem::path log;     // what the receiver writes
};

// A bundle "<name>.app" with Info.plist and Contents/MacOS/<exe> linking to
// the test receiver; RECEIVER_LOG is set for the programs started from here.
ReceiverBundle MakeReceiverBundle(const std::string& name, const std::string& identifier,
                                  const std::string& exe = "receiver", bool copyExecutable = false);

// Starts the receiver of `b` directly with `args` (a child of this process).
int StartReceiver(const ReceiverBundle& b, const std::vector<std::string>& args, bool setBundleEnv = true);

// Lines of the log once it has `lines` of them (or after 20 s).
std::vector<std::string> WaitForLog(const ReceiverBundle& b, size_t lines);
std::vector<std::string> ReadLog(const ReceiverBundle& b);

// Ends the instances named in the log ("P<pid>") and reaps every child.
void EndAll(const ReceiverBundle& b);

// Makes this process the subreaper of the detached instances.
void BecomeSubreaper();

}  // namespace ostest
