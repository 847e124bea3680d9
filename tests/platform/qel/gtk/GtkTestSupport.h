#pragma once
// A private X server per test process, a test window from layout text, and
// synthetic GDK events handed to GTK as the X server would deliver them.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "qel/QelWindow.h"

namespace gtktest {

// Starts Xvfb for this process (once) and selects the GTK backend; false
// when no X server could be started or GTK cannot use it.
bool UseGtkOnPrivateDisplay();

// Runs the loop until `done` holds; false when a generous guard ran out
// first (so a broken test fails instead of hanging).
bool PumpUntil(const std::function<bool()>& done);
// Runs what is pending now.
void PumpPending();

// Button press and release, pointer motion at window points of `w`; keys to
// its toplevel.
void Press(CQelWindow* w, POINT p);
void Release(CQelWindow* w, POINT p);
void ClickAtPoint(CQelWindow* w, POINT p);
void MoveTo(CQelWindow* w, POINT p);
void SendKey(CQelWindow* w, guint keyval, bool press = true);

POINT CentreOf(CQelWindow* w, const char* element);

// Opaque pixels of a PNG that differ from the window backdrop.
int CountInkPixels(const std::string& png, int* width = nullptr, int* height = nullptr);

// A window from layout text that records every event of its elements.
class RecordingWindow : public CQelWindow {
 public:
  struct Event {
    std::string element;
    int32_t code;
  };
  // Creates and shows the window, and waits until it is on screen.
  bool Open(const std::string& layout_xml, const char16_t* title);
  void RegisterCallBacks() override;
  std::vector<Event> events;
  int Count(const char* element, int32_t code) const;

 private:
  static int32_t Record(QelObject element, int32_t event, QELLPARAM, void* data);
};

class GtkBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UseGtkOnPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
  }
};

}  // namespace gtktest
