#pragma once
// The real main program: found as "<name>.app" in the applications folder
// (the folder holding the monitor's own bundle, or $DUNSELLOW_APPS_DIR),
// running when its command-line socket answers. Commands are delivered in
// order on a thread of their own, so a program that is slow to start or to
// answer never holds up the polls. A command that starts the program is sent
// again once it listens, so that it is carried out and not only opens the
// capture page.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "BMMainProgram.h"

class BMMainProgramLink : public BMMainProgram {
 public:
  explicit BMMainProgramLink(std::string applicationsFolder);
  ~BMMainProgramLink() override;  // finishes the delivery under way, drops the rest

  bool BMIsAlreadyLaunched(const std::string& name) override;
  void Deliver(const std::u16string& commandLine) override;

  // "<folder>/<name>.app" of the first application name that exists.
  std::optional<std::string> FindApplication() const;

 private:
  void Run();
  void SendOnceListening(const std::string& app, const std::u16string& text);

  std::string _folder;
  std::mutex _mutex;
  std::condition_variable _wake;
  std::deque<std::u16string> _queue;
  bool _stopping = false;
  bool _reportedMissing = false;
  std::thread _worker;
};
