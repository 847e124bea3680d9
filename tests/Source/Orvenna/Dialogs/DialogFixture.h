#pragma once
// The main program started headless with its own resources (message box,
// corner masks, help pages), for driving its menus and dialogs. Dialogs run
// modally: what a test does inside one is queued with Inside() before the
// command that opens it.
#include <functional>
#include <string>

#include "MainWindowFixture.h"
#include "MediaFolderCheck.h"
#include "qel/QelHeadless.h"

class DialogTest : public MainWindowTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `step` inside the next modal loop (once it is up).
  void Inside(std::function<void()> step);
  // Chooses a menu command of the main window as the user does.
  bool Menu(const char* command);
  // The front window's element state.
  qel::headless::ElementState Read(const char* name) { return qel::headless::Read(nullptr, name); }
  CQelWindow* Front() { return qel::headless::FrontWindow(); }
  // Every probe passes (a fixed disk with room, writable).
  static void AcceptEveryFolder();
};
