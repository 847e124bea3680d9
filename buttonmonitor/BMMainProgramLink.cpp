#include "BMMainProgramLink.h"

#include <cstdio>
#include <filesystem>

#include "BMNotification.h"
#include "os/CommandLineClient.h"
#include "os/InfoPlist.h"

namespace {

// The main program's identifier when its bundle is not where we look.
constexpr char kMainProgramIdentifier[] = "com.Talvexa.Orvenna";
// Commands waiting beyond this are dropped: a program that answers nothing
// for so long would otherwise get a burst of stale zoom steps.
constexpr size_t kMaxPending = 32;
// How long a program the monitor started may take to listen: 30 s.
constexpr int kStartPatienceSteps = 300;

}  // namespace

BMMainProgramLink::BMMainProgramLink(std::string applicationsFolder)
    : _folder(std::move(applicationsFolder)), _worker([this] { Run(); }) {}

BMMainProgramLink::~BMMainProgramLink() {
  {
    std::lock_guard<std::mutex> lock(_mutex);
    _stopping = true;
    _queue.clear();
  }
  _wake.notify_all();
  _worker.join();
}

std::optional<std::string> BMMainProgramLink::FindApplication() const {
  for (const char* name : kApplicationNames) {
    std::string path = _folder + "/" + name + ".app";
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
  }
  return std::nullopt;
}

bool BMMainProgramLink::BMIsAlreadyLaunched(const std::string& name) {
  auto id = plat::InfoPlistString(_folder + "/" + name + ".app", "CFBundleIdentifier");
  return plat::IsCommandLineListening(id.value_or(kMainProgramIdentifier));
}

void BMMainProgramLink::Deliver(const std::u16string& commandLine) {
  {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_queue.size() >= kMaxPending) return;
    _queue.push_back(commandLine);
  }
  _wake.notify_one();
}

void BMMainProgramLink::SendOnceListening(const std::string& app, const std::u16string& text) {
  const std::string id = plat::InfoPlistString(app, "CFBundleIdentifier").value_or(kMainProgramIdentifier);
  for (int tries = 0; tries < kStartPatienceSteps; ++tries) {
    {
      std::unique_lock<std::mutex> lock(_mutex);
      if (_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return _stopping; })) return;
    }
    if (!plat::IsCommandLineListening(id)) continue;
    plat::SendCommandLine(id, text, BMNotification::kBlockUnits * 2, std::chrono::seconds(5));
    return;
  }
}

void BMMainProgramLink::Run() {
  std::unique_lock<std::mutex> lock(_mutex);
  for (;;) {
    _wake.wait(lock, [this] { return _stopping || !_queue.empty(); });
    if (_stopping) return;
    std::u16string text = std::move(_queue.front());
    _queue.pop_front();
    lock.unlock();
    // Only the first program found: serving both names would double every
    // zoom step and undo every record toggle.
    auto app = FindApplication();
    if (app && plat::OpenWithCommandLine(*app, text, BMNotification::kBlockUnits * 2) == plat::LaunchStatus::Launched) {
      // A program this command started only opens its capture page with
      // it: once it listens, the command goes again to be carried out.
      SendOnceListening(*app, text);
    }
    lock.lock();
    if (!app && !_reportedMissing) {
      _reportedMissing = true;
      std::fprintf(stderr, "Pressmon: neither Merrowick.app nor Dunsellow.app is in %s; button commands are dropped\n",
                   _folder.c_str());
    }
  }
}
