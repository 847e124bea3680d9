#pragma once
// Handing a new message with attachments to the desktop's mail program.
// Text is UTF-8; attachments are absolute paths.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace mail {

struct Message {
  std::string subject;
  std::string body;
  std::vector<std::string> attachments;
};

// One hand-off. Its state changes on the main loop (GLib's default
// context) once the mail program's helper has ended.
class Handoff {
 public:
  enum State { kRunning, kHanded, kFailed };

  State state() const { return state_.load(); }
  // The helper's exit status (0 handed over), -1 when it did not run.
  int exitStatus() const { return status_.load(); }
  // Why it failed, for the user (empty otherwise). Read it only once the
  // state is no longer kRunning.
  const std::string& error() const { return error_; }

  // Used by the backends.
  void Finish(int status, std::string error);

 private:
  std::atomic<State> state_{kRunning};
  std::atomic<int> status_{-1};
  std::string error_;
};

// Starts handing `message` over and returns at once; the hand-off is in
// kHanded or kFailed state when it has ended (the recorder ends it before
// returning).
std::shared_ptr<Handoff> Compose(const Message& message);

// The arguments given to xdg-email for `message` (without the program).
std::vector<std::string> XdgEmailArguments(const Message& message);

// What an xdg-email exit status means, for a message to the user.
std::string DescribeXdgEmailStatus(int status);

// Recorder (headless): the messages composed so far, oldest first.
std::vector<Message> RecordedMessages();
void ClearRecordedMessages();
// Later recorded hand-offs end with this exit status (0: handed over).
void SetRecorderStatus(int status);

}  // namespace mail
