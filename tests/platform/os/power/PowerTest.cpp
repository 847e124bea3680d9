// The system's sleep: what the clients answer, holding the machine awake,
// and a system without logind.
#include "os/Power.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using plat::PowerAnswer;
using plat::PowerMessage;

TEST(Power, ACancelFromAnyClientIsTheAnswerAndHoldingAwakeRefusesIdleSleep) {
  auto fake = std::make_unique<plat::FakePowerSource>();
  plat::FakePowerSource* power = fake.get();
  plat::UsePowerSource(std::move(fake));
  EXPECT_EQ(power->Ask(PowerMessage::kSystemWillSleep), PowerAnswer::kNone);  // nobody asked
  PowerAnswer first = PowerAnswer::kAllow, second = PowerAnswer::kNone;
  int told = 0;
  plat::PowerClient a([&](PowerMessage) { ++told; return first; });
  {
    plat::PowerClient b([&](PowerMessage) { ++told; return second; });
    EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
    second = PowerAnswer::kCancel;
    EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kCancel);
    EXPECT_EQ(told, 4);
    b.HoldAwake(true, "Playing");
    a.HoldAwake(true, "Recording");
    EXPECT_EQ(power->AwakeHolders(), 2);
    a.HoldAwake(false, {});
    EXPECT_TRUE(power->Awake());
  }  // a client that goes lets go
  EXPECT_FALSE(power->Awake());
  EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kAllow);
  a.HoldAwake(true, "Playing");
  EXPECT_EQ(power->Ask(PowerMessage::kCanSystemSleep), PowerAnswer::kCancel);
  EXPECT_EQ(power->Answers().size(), 5u);
}

TEST(Power, WithoutLogindTheLayerSaysSoOnceAndDoesNothing) {
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket", 1);
  testing::internal::CaptureStderr();
  {
    plat::PowerClient a([](PowerMessage) { return PowerAnswer::kAllow; });
    plat::PowerClient b([](PowerMessage) { return PowerAnswer::kAllow; });
    a.HoldAwake(true, "Playing");
    b.HoldAwake(true, "Recording");
    EXPECT_EQ(plat::CurrentPowerSource().AwakeHolders(), 2);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no systemd-logind"), std::string::npos) << said;
  EXPECT_EQ(said.find("no systemd-logind"), said.rfind("no systemd-logind")) << said;
}
