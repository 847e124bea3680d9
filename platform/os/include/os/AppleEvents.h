#pragma once
// Apple-event style dispatch on the main loop. Programs install one handler
// per {event class, event id}; command lines from other programs arrive as
// 'aevt'/'odoc' events whose parameter 'prdt' is a 'CMDL' descriptor holding
// UTF-16 text, and SIGTERM/SIGINT arrive as 'aevt'/'quit'.
//
// Events are dispatched on the main thread, from the default GMainContext.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plat {

using OSType = uint32_t;

constexpr OSType FourCC(const char (&s)[5]) {
  return (OSType(uint8_t(s[0])) << 24) | (OSType(uint8_t(s[1])) << 16) | (OSType(uint8_t(s[2])) << 8) |
         OSType(uint8_t(s[3]));
}

inline constexpr OSType kCoreEventClass = FourCC("aevt");
inline constexpr OSType kAEOpenApplication = FourCC("oapp");
inline constexpr OSType kAEOpenDocuments = FourCC("odoc");
inline constexpr OSType kAEQuitApplication = FourCC("quit");
inline constexpr OSType kCommandLineParam = FourCC("prdt");  // keyword of the command-line parameter
inline constexpr OSType kCommandLineType = FourCC("CMDL");   // descriptor type of the command line
inline constexpr OSType kQuitSignalParam = FourCC("sign");   // present on a quit a signal asked for

// Result codes handlers and accessors use (0 = handled / no error).
inline constexpr int32_t kAENoErr = 0;
inline constexpr int32_t kAECoercionFail = -1700;    // parameter of another type
inline constexpr int32_t kAEDescNotFound = -1701;    // parameter missing
inline constexpr int32_t kAEEventNotHandled = -1708; // no handler, or the handler declined

// A typed block of bytes. 'CMDL' descriptors hold UTF-16 text in the
// process's own byte order, without a terminator.
struct AEDesc {
  OSType type = 0;
  std::vector<uint8_t> data;

  static AEDesc FromText(OSType type, const std::u16string& text);
  // The data as UTF-16 units, cut at the first 0 unit; an odd trailing byte is dropped.
  std::u16string Text() const;
};

class AppleEvent {
 public:
  AppleEvent(OSType eventClass, OSType eventId) : class_(eventClass), id_(eventId) {}

  OSType eventClass() const { return class_; }
  OSType eventId() const { return id_; }

  void PutParam(OSType keyword, AEDesc desc) { params_[keyword] = std::move(desc); }
  bool HasParam(OSType keyword) const { return params_.count(keyword) != 0; }
  // kAENoErr and the descriptor, kAEDescNotFound, or kAECoercionFail when
  // the parameter has another type.
  int32_t GetParamDesc(OSType keyword, OSType type, AEDesc* out) const;
  // The 'prdt' parameter as command-line text (same results as GetParamDesc).
  int32_t GetCommandLine(std::u16string* out) const;

 private:
  OSType class_;
  OSType id_;
  std::map<OSType, AEDesc> params_;
};

// 'aevt'/'odoc' carrying `text` as its 'prdt' 'CMDL' parameter.
AppleEvent MakeCommandLineEvent(const std::u16string& text);

// A handler answers kAENoErr when it handled the event, or an error code.
using AEEventHandler = std::function<int32_t(const AppleEvent& event, intptr_t refCon)>;

// Installs (or replaces) the handler of {eventClass, eventId}.
void AEInstallEventHandler(OSType eventClass, OSType eventId, AEEventHandler handler, intptr_t refCon);
// Removes it; false when none was installed.
bool AERemoveEventHandler(OSType eventClass, OSType eventId);

// Runs the event's handler now, on the calling (main) thread. Without a
// handler the answer is kAEEventNotHandled.
int32_t AEDispatch(const AppleEvent& event);

// Queues the event for dispatch on the default main context; safe from any
// thread. Events are dispatched in the order they were posted; an event
// whose handler is not installed yet waits for it.
void AEPost(AppleEvent event);

// SIGTERM and SIGINT become 'aevt'/'quit' events dispatched on the default
// main context. When the quit handler answers kAEEventNotHandled (or none is
// installed), `defaultQuit` runs; any other answer swallows the request.
// A second call replaces the callback; StopQuitSignals removes the watch.
void WatchQuitSignals(std::function<void()> defaultQuit);
void StopQuitSignals();

// The same path for a quit asked from inside the program (menu Quit, the
// main window's close box): dispatches 'aevt'/'quit' now and runs the
// default quit unless the handler took the request. Answers the handler's
// result.
int32_t RequestQuit();
// A quit a signal asks for (SIGTERM, SIGINT): the event carries the
// kQuitSignalParam parameter, so that the program can end even while a
// dialog waits for an answer.
int32_t RequestQuitBySignal();

}  // namespace plat
