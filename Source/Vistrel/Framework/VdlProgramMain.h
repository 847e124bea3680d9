#pragma once
// The entry of a program that runs once per user (the viewer, the player):
// a second start hands its command line to the running instance and ends;
// the first listens for command lines, which reach it as 'odoc' events once
// its start-up has installed the handler, then runs the application until
// it quits. SIGTERM and SIGINT call `onQuitSignal`, then end the loop.
#include <functional>
#include <optional>
#include <string>

#include "qel/QelApp.h"

namespace Vardel {

// The exit code of the program.
int RunSingleInstanceProgram(const char* bundleId, const char* programName,
                             const std::optional<std::u16string>& commandLine, CQelApp& app,
                             const std::function<void()>& onQuitSignal);

}  // namespace Vardel
