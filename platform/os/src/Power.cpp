#include "os/Power.h"

#include <algorithm>
#include <cstdio>

namespace plat {

std::unique_ptr<PowerSource> MakeLogindPowerSource();  // PowerLogind.cpp

namespace {

std::unique_ptr<PowerSource>& Source() {
  static std::unique_ptr<PowerSource> source;
  return source;
}

}  // namespace

const char* PowerMessageLine(PowerMessage message) {
  switch (message) {
    case PowerMessage::kServiceIsResumed: return "System is resumed on\n";
    case PowerMessage::kCanSystemPowerOff: return "Can system power off\n";
    case PowerMessage::kSystemWillPowerOff: return "System will power off\n";
    case PowerMessage::kCanSystemSleep: return "Can system sleep\n";
    case PowerMessage::kSystemWillSleep: return "System will sleep\n";
    case PowerMessage::kSystemHasPoweredOn: return "System has powered on\n";
    case PowerMessage::kSystemWillRestart: return "System will restart\n";
  }
  return "";
}

PowerSource& CurrentPowerSource() {
  if (!Source()) Source() = MakeLogindPowerSource();
  return *Source();
}

void UsePowerSource(std::unique_ptr<PowerSource> source) { Source() = std::move(source); }

PowerAnswer PowerSource::Deliver(PowerMessage message) {
  PowerAnswer answer = PowerAnswer::kNone;
  // A client may go while another is told.
  const std::vector<PowerClient*> clients = clients_;
  for (PowerClient* c : clients) {
    if (std::find(clients_.begin(), clients_.end(), c) == clients_.end() || !c->handler_) continue;
    const PowerAnswer a = c->handler_(message);
    if (a == PowerAnswer::kCancel) answer = a;
    else if (a == PowerAnswer::kAllow && answer == PowerAnswer::kNone) answer = a;
  }
  return answer;
}

int PowerSource::AwakeHolders() const {
  return int(std::count_if(clients_.begin(), clients_.end(), [](const PowerClient* c) { return c->awake_; }));
}

PowerClient::PowerClient(Handler handler) : handler_(std::move(handler)) {
  PowerSource& source = CurrentPowerSource();
  source.clients_.push_back(this);
  source.ClientsChanged();
}

PowerClient::~PowerClient() {
  HoldAwake(false, {});
  if (!Source()) return;
  auto& clients = Source()->clients_;
  clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
  Source()->ClientsChanged();
}

void PowerClient::HoldAwake(bool on, const std::string& why) {
  if (on == awake_ || !Source()) {
    awake_ = on && Source();
    return;
  }
  PowerSource& source = *Source();
  const int before = source.AwakeHolders();
  awake_ = on;
  const int after = source.AwakeHolders();
  if ((before == 0) != (after == 0)) source.AwakeChanged(after > 0, why);
}

PowerAnswer FakePowerSource::Ask(PowerMessage message) {
  PowerAnswer answer = Deliver(message);
  // Idle sleep is refused while the machine is held awake, as logind's
  // idle inhibitor refuses it.
  if (message == PowerMessage::kCanSystemSleep && Awake()) answer = PowerAnswer::kCancel;
  answers_.emplace_back(message, answer);
  return answer;
}

}  // namespace plat
