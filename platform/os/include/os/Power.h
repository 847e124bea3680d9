#pragma once
// The system's sleep, as the programs saw it through the system's power
// notifications: a part of a program registers a PowerClient, is asked
// "can the system sleep?" (idle sleep) and told "the system will sleep" and
// "has powered on", each message answered allow, cancel or not at all.
//
// Linux has no idle-sleep question: a client that would refuse it holds the
// machine awake instead (HoldAwake) while it plays or records, which takes
// systemd-logind's idle inhibitor and keeps the screen saver away; "will
// sleep" comes from logind's PrepareForSleep signal, and the layer holds a
// delay inhibitor so that the clients can finish (pause, save a recording)
// before the machine goes down. Without logind (a container) the layer says
// so once and does nothing. Tests put a FakePowerSource in place, which asks
// the system's questions when told to and records the answers.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace plat {

// Numbered as the system's notifications were.
enum class PowerMessage : uint32_t {
  kServiceIsResumed = 0xE0000030,
  kCanSystemPowerOff = 0xE0000240,
  kSystemWillPowerOff = 0xE0000250,
  kCanSystemSleep = 0xE0000270,
  kSystemWillSleep = 0xE0000280,
  kSystemHasPoweredOn = 0xE0000300,
  kSystemWillRestart = 0xE0000310,
};
enum class PowerAnswer { kNone, kAllow, kCancel };

// The line each message prints ("Can system sleep\n"); empty for others.
const char* PowerMessageLine(PowerMessage message);

// Main thread only.
class PowerClient {
 public:
  using Handler = std::function<PowerAnswer(PowerMessage)>;
  explicit PowerClient(Handler handler);
  ~PowerClient();
  PowerClient(const PowerClient&) = delete;
  PowerClient& operator=(const PowerClient&) = delete;

  // While on, idle sleep is refused and the screen saver kept away.
  void HoldAwake(bool on, const std::string& why);
  bool HoldsAwake() const { return awake_; }

 private:
  friend class PowerSource;
  Handler handler_;
  bool awake_ = false;
};

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Every client is told; a cancel from any of them is the answer, then
  // allow from any, else none.
  PowerAnswer Deliver(PowerMessage message);
  // How many clients hold the machine awake.
  int AwakeHolders() const;

 protected:
  friend class PowerClient;
  virtual void ClientsChanged() {}
  // The first holder came or the last one went.
  virtual void AwakeChanged(bool held, const std::string& why) {}
  std::vector<PowerClient*> clients_;
};

// The source the clients use: logind's unless a test put another in place.
PowerSource& CurrentPowerSource();
// Replaces the source (null: the system's again); clients made before keep
// the source they registered with, so tests set it first.
void UsePowerSource(std::unique_ptr<PowerSource> source);

class FakePowerSource : public PowerSource {
 public:
  // The system asks or tells; the clients' answer, recorded.
  PowerAnswer Ask(PowerMessage message);
  const std::vector<std::pair<PowerMessage, PowerAnswer>>& Answers() const { return answers_; }
  bool Awake() const { return AwakeHolders() > 0; }

 private:
  std::vector<std::pair<PowerMessage, PowerAnswer>> answers_;
};

}  // namespace plat
