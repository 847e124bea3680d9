#pragma once
// An image view in a window of its own for the engine's tests: a 640 x 480
// preview area and the elements the view shows and hides, no image control.
#include <functional>
#include <string>
#include <vector>

#include "BaseWnd.h"
#include "qel/QelWindow.h"

namespace vistreltest {

class TestView : public CBaseWnd, public CQelWindow {
 public:
  TestView();
  ~TestView() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int finishedThumbs = 0;
  int finishedFull = 0;
};

// Delivers posted messages and runs the main context until `done` holds
// (false after 30 s).
bool PumpUntil(const std::function<bool()>& done);

// Replaces the application's file list with these paths.
void SetFiles(const std::vector<std::u16string>& paths);

// Stops the readers and drops the thumbnail pool and the file list.
void ResetViewer();

}  // namespace vistreltest
