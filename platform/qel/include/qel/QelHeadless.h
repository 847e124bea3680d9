#pragma once
// Test API of the headless backend: drive windows by element name, answer
// modal dialogs, read element state, render windows to PNG, run the loop and
// the manual clock. A null window means: search the windows front to back.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qel/QelFileChooser.h"
#include "qel/QelWindow.h"

namespace qel::headless {

struct ElementState {
  bool found = false;
  bool visible = false;   // the element and all its ancestors
  bool enabled = false;
  std::u16string text;
  int32_t check = 0;
  int32_t selection = -1;
  int32_t scroll_pos = 0;
};

QEL_API CQelWindow* FrontWindow();
QEL_API qel::Element* FindElement(CQelWindow* window, const char* name);

// User actions; false when the element is missing, hidden or disabled.
QEL_API bool Click(CQelWindow* window, const char* name);
QEL_API bool TypeText(CQelWindow* window, const char* name, const std::u16string& text);
QEL_API bool SelectItem(CQelWindow* window, const char* name, int32_t index);
QEL_API bool MoveSlider(CQelWindow* window, const char* name, int32_t pos);
// Key down and up (message 256 / 257) to the window; Return 13, Escape 27.
QEL_API bool PressKey(CQelWindow* window, uint32_t key);

// Answers for the next modal loops, in order: click a button, press a key,
// or end with a result. A button that is not there ends the loop with
// Cancel (1) and a line on stderr, so a test never hangs.
QEL_API void AnswerNextModal(const char* button_name);
QEL_API void AnswerNextModalKey(uint32_t key);
QEL_API void AnswerNextModalWith(int32_t result);
// Runs `action` on the modal window once it is up (to fill in fields, read
// its state or answer a dialog it opens), then, unless the action ended it,
// clicks `button_name` (none when null).
QEL_API void AnswerNextModalBy(std::function<void(CQelWindow*)> action, const char* button_name = nullptr);
QEL_API size_t PendingModalAnswers();
QEL_API void ClearModalAnswers();

// Answers for the next file choosers, in order: the paths chosen (with the
// filter in use; -1: the one the chooser started with), or cancel. A
// chooser without a scripted answer is cancelled with a line on stderr.
QEL_API void AnswerNextFileChooser(const std::vector<std::string>& paths, int32_t filter = -1);
QEL_API void CancelNextFileChooser();
// The requests of the choosers shown so far (oldest first), and clearing
// them together with answers not used.
QEL_API std::vector<FileChooserRequest> FileChooserRequests();
QEL_API void ClearFileChoosers();

QEL_API ElementState Read(CQelWindow* window, const char* name);

// Paints the window (its layout size) into a PNG file.
QEL_API bool RenderPng(CQelWindow* window, const std::string& path);

// Runs the default context until nothing is pending (posted messages, idle
// work, and with the manual clock, timers due now).
QEL_API void PumpUntilIdle();
// Manual clock: on / advance.
QEL_API void UseManualClock(bool on);
QEL_API void Advance(uint32_t ms);

}  // namespace qel::headless
