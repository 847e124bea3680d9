#pragma once
// A private X server for a test process.
namespace testenv {

// Starts Xvfb on a free display number (once per process; it ends with the
// process) and points DISPLAY at it. false when none could be started.
bool StartPrivateDisplay();

}  // namespace testenv
