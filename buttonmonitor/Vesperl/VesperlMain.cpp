// The debug bundle's entry, called by the monitor in debug mode.
#include "BMDebugWindowController.h"
#include "VesperlEntry.h"

extern "C" __attribute__((visibility("default"))) void* vesperl_shared_instance(BMNotificationCenter* center) {
  return BMDebugWindowController::sharedInstance(center);
}
