#include "mail/Composer.h"

#include <glib.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include <sys/wait.h>

namespace mail {

namespace {

std::mutex g_mutex;
std::vector<Message> g_recorded;
int g_recorderStatus = 0;

bool UseRecorder() {
  if (const char* forced = std::getenv("DUNSELLOW_MAIL")) {
    if (std::strcmp(forced, "record") == 0) return true;
    if (std::strcmp(forced, "xdg-email") == 0) return false;
  }
  const char* backend = std::getenv("QEL_BACKEND");
  return backend && std::strcmp(backend, "headless") == 0;
}

// Keeps the hand-off alive until the helper has been reaped.
struct Watch {
  std::shared_ptr<Handoff> handoff;
};

void ChildEnded(GPid pid, gint waitStatus, gpointer data) {
  auto* watch = static_cast<Watch*>(data);
  int status = -1;
  if (WIFEXITED(waitStatus)) status = WEXITSTATUS(waitStatus);
  g_spawn_close_pid(pid);
  watch->handoff->Finish(status, status == 0 ? std::string() : DescribeXdgEmailStatus(status));
  delete watch;
}

}  // namespace

void Handoff::Finish(int status, std::string error) {
  error_ = std::move(error);
  status_.store(status);
  state_.store(status == 0 ? kHanded : kFailed);
}

std::vector<std::string> XdgEmailArguments(const Message& message) {
  std::vector<std::string> args{"--utf8", "--subject", message.subject, "--body", message.body};
  for (const std::string& file : message.attachments) {
    args.push_back("--attach");
    args.push_back(file);
  }
  return args;
}

std::string DescribeXdgEmailStatus(int status) {
  switch (status) {
    case 0: return std::string();
    case 1: return "the mail program was asked in a way it does not understand";
    case 2: return "an attachment could not be found";
    case 3: return "no mail program is set up on this desktop";
    case 4: return "the mail program could not open the new message";
    case 5: return "an attachment could not be read";
    default: return "the mail program ended with error " + std::to_string(status);
  }
}

std::shared_ptr<Handoff> Compose(const Message& message) {
  auto handoff = std::make_shared<Handoff>();
  if (UseRecorder()) {
    int status;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_recorded.push_back(message);
      status = g_recorderStatus;
    }
    handoff->Finish(status, DescribeXdgEmailStatus(status));
    return handoff;
  }
  std::vector<std::string> args = XdgEmailArguments(message);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("xdg-email"));
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  GPid pid = 0;
  GError* error = nullptr;
  const auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDIN_FROM_DEV_NULL);
  if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, &pid, &error)) {
    const bool missing = error && g_error_matches(error, G_SPAWN_ERROR, G_SPAWN_ERROR_NOENT);
    handoff->Finish(-1, missing ? std::string("xdg-email (from xdg-utils) is not installed")
                                : std::string("xdg-email could not be started: ") + (error ? error->message : "?"));
    g_clear_error(&error);
    return handoff;
  }
  g_child_watch_add(pid, &ChildEnded, new Watch{handoff});
  return handoff;
}

std::vector<Message> RecordedMessages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_recorded;
}

void ClearRecordedMessages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_recorded.clear();
}

void SetRecorderStatus(int status) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_recorderStatus = status;
}

}  // namespace mail
