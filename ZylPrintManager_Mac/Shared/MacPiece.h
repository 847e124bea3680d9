#pragma once
// Win32-style calls that the print layout control and the print manager
// library were written against: UTF-16 <-> UTF-8, path splitting and
// joining, file tests, window and point helpers and a small message loop.
// Text is UTF-16 (WCHAR); buffers that these functions fill hold
// QEL_MAX_PATH units (bytes for UTF-8) unless a size is given, and are
// always terminated; a part that does not fit comes back empty.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "CQelStringW.h"
#include "NavFunctions.h"
#include "qel/QelMessage.h"
#include "qel/QelPath.h"
#include "qel/QelTypes.h"

namespace plat {
class Bundle;
}

// --- text ---
// UTF-8 form of text in buffer (size bytes); null when it does not fit.
char* unichar_to_utf8(const WCHAR* text, char* buffer, size_t size);
// UTF-16 form in buffer (size units); null when text is not valid UTF-8
// or does not fit.
WCHAR* utf8_to_unichar(const char* text, WCHAR* buffer, size_t size);
// malloc'ed copies (release with free); null for null.
char* W2ACopy(const WCHAR* text);
WCHAR* A2WCopy(const char* text);

// --- files and paths ---
// The bundle's folder into buffer (size units): 1, or 0 for a null
// bundle or buffer or a path that does not fit.
int GetModuleFileName(const plat::Bundle* bundle, WCHAR* buffer, size_t size = QEL_MAX_PATH);
// 1 for any non-null pointer.
int IsBadReadPtr(const void* pointer, size_t size);
int IsBadWritePtr(void* pointer, size_t size);
// Removes one trailing separator / adds one when missing (not to an
// empty path).
void RemoveBacksplash(WCHAR* path);
void RemoveBacksplash(CQelStringW& path);
void PathAddBackslash(WCHAR* path, size_t size = QEL_MAX_PATH);
void PathAddBackslash(CQelStringW& path);
// folder + name with exactly one separator between them.
CQelStringW MakeFullPath(const WCHAR* folder, const WCHAR* name);
// 1 when the path named a file or an empty folder and it is gone now.
int DeleteFile(const WCHAR* path);
int PathFileExists(const WCHAR* path);
// 1 with the item's file record when the path exists. A path that does
// not exist but whose folder does gets the folder and the leaf name in
// the record, and 0.
int PathToSpec(const WCHAR* path, FSSpec* spec);
// Splits an existing path: folder (no trailing separator), name and
// extension (from the last dot, dot included; folders have none); drive is
// always empty. Each buffer may be null. Nothing is written for a null or
// missing path (_splitpath writes empty parts then).
void splitpath(const char* path, char* drive, char* folder, char* name, char* extension);
void _splitpath(const WCHAR* path, WCHAR* drive, WCHAR* folder, WCHAR* name, WCHAR* extension);
// drive + folder + "/" + name + "." + extension (the extension without its
// dot; a given empty one still adds the dot). out holds size bytes/units;
// a result that does not fit leaves it empty.
void makepath(char* out, const char* drive, const char* folder, const char* name, const char* extension,
              size_t size = QEL_MAX_PATH);
WCHAR* _tmakepath(WCHAR* out, const WCHAR* drive, const WCHAR* folder, const WCHAR* name, const WCHAR* extension,
                  size_t size = QEL_MAX_PATH);

// --- windows and points ---
// 0 for a null or closed window, or while a modal window other than it
// is in front.
int IsWindowEnabled(WindowRef window);
// Screen <-> window coordinates; 1, 0 for a window that does not exist.
int ScreenToClient(WindowRef window, POINT* point);
int ClientToScreen(WindowRef window, POINT* point);
// Pointer messages that the window's ProcessMessage hands to the loop
// below (MacQueueEvent) belong to this window until ReleaseCapture.
int SetCapture(WindowRef window);
void ReleaseCapture();
WindowRef GetCapture();
// A drawing context for measuring in the window's scale (cairo_t*); null
// for a window that does not exist. Release it with ReleaseDC.
void* GetDC(WindowRef window);
int ReleaseDC(WindowRef window, void* context);
// -1 while the key is held, else 0. 256 is the command key (Control
// here), 512 Shift; other keys are not tracked and answer 0.
int16_t GetKeyState(int32_t key);

// --- messages ---
// A toolkit event as the loop below receives it.
enum MacEventClass : uint32_t {
  kMacEventClassWindow = 0x77696e64,    // 'wind'
  kMacEventClassKeyboard = 0x6b657962,  // 'keyb'
  kMacEventClassMouse = 0x6d6f7573,     // 'mous'
  kMacEventClassMessage = 0x48656174,   // 'Heat'
};
struct MacEvent {
  uint32_t eventClass = 0;
  uint32_t kind = 0;         // mouse: 1 down, 2 up, 5 moved, 6 dragged, 10 wheel; keys: 1 down, 2 repeat
  double time = 0;           // seconds
  WindowRef window = nullptr;
  POINT where{0, 0};         // screen coordinates
  uint8_t character = 0;
  uint32_t buttons = 0;      // bit 0: primary button held
  int32_t wheelDelta = 0;
  QELWPARAM wParam = 0;      // message events
  QELLPARAM lParam = 0;
};

struct tagMSG {
  WindowRef hwnd = nullptr;
  uint32_t message = 0;
  QELWPARAM wParam = 0;
  QELLPARAM lParam = 0;
  uint32_t time = 0;  // ticks of 1/60 s
  POINT pt{0, 0};
  std::shared_ptr<const MacEvent> event;  // held while the message keeps it
};

// Converts an event into msg (window messages 32 and 533, key-down 256 with
// the character, Enter as 13, mouse 513/514/516/512/522 with the window
// point in lParam, message events as they were posted). 0 for a null
// event or message, else 1.
int EventToMSG(std::shared_ptr<const MacEvent> event, tagMSG* msg, int keep, WindowRef window);
// Queues an event for GetMessage (main thread).
void MacQueueEvent(const MacEvent& event);
// Number of GetMessage calls waiting now: a window hands its pointer input
// to MacQueueEvent while this is above 0.
int MacMessageLoopDepth();
// Waits for the next queued event, running the main loop meanwhile; 1 with
// the message, 0 when the wait was ended (MacEndMessageWait, called from the
// loop while GetMessage waits; outside a wait it does nothing).
int GetMessage(tagMSG* msg, WindowRef window, uint32_t first, uint32_t last);
void MacEndMessageWait();
int TranslateMessage(const tagMSG* msg);
// Sends the message to its window; -1.
intptr_t DispatchMessage(const tagMSG* msg);
