// The hand-off to the mail program: every piece of the message is one
// argument of its own (nothing is read by a shell), the exit status comes
// back on the main loop, and a program that fails or is missing is a
// failed hand-off with a reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FakeXdgEmail.h"
#include "LoopWait.h"
#include "TestEnvironment.h"
#include "mail/Composer.h"

namespace {

mail::Message Tricky() {
  mail::Message m;
  m.subject = "Lesson \"4\"; $(touch /tmp/x) `id` & a, b";
  m.body = "\n\n";
  m.attachments = {"/tmp/run/0/Attachment0.jpg", "/tmp/with space/it's, here.mov"};
  return m;
}

TEST(MailComposer, EveryPartIsOneArgument) {
  const std::vector<std::string> expected{"--utf8",   "--subject",
                                          Tricky().subject,     "--body",
                                          "\n\n",     "--attach",
                                          "/tmp/run/0/Attachment0.jpg", "--attach",
                                          "/tmp/with space/it's, here.mov"};
  EXPECT_EQ(mail::XdgEmailArguments(Tricky()), expected);
}

TEST(MailComposer, TheRecorderKeepsMessagesAndEndsAsTold) {
  ::setenv("DUNSELLOW_MAIL", "record", 1);
  mail::ClearRecordedMessages();
  mail::SetRecorderStatus(0);
  auto handed = mail::Compose(Tricky());
  EXPECT_EQ(handed->state(), mail::Handoff::kHanded);
  mail::SetRecorderStatus(3);
  auto failed = mail::Compose(Tricky());
  mail::SetRecorderStatus(0);
  EXPECT_EQ(failed->state(), mail::Handoff::kFailed);
  EXPECT_EQ(failed->exitStatus(), 3);
  EXPECT_NE(failed->error().find("no mail program"), std::string::npos);
  ASSERT_EQ(mail::RecordedMessages().size(), 2u);
  EXPECT_EQ(mail::RecordedMessages()[1].attachments, Tricky().attachments);
  ::unsetenv("DUNSELLOW_MAIL");
}

TEST(MailComposer, XdgEmailGetsTheArgumentsAndItsStatusIsRead) {
  testmail::FakeXdgEmail fake;
  ::setenv("DUNSELLOW_MAIL", "xdg-email", 1);
  struct Case {
    const char* status;
    mail::Handoff::State state;
    const char* reason;
  };
  for (const Case& c : {Case{"0", mail::Handoff::kHanded, ""}, Case{"3", mail::Handoff::kFailed, "no mail program"},
                        Case{"4", mail::Handoff::kFailed, "could not open"}}) {
    SCOPED_TRACE(c.status);
    ::setenv("FAKE_MAIL_STATUS", c.status, 1);
    auto handoff = mail::Compose(Tricky());
    // The call returns before the program has ended; the loop brings the status.
    ASSERT_TRUE(testloop::PumpUntil([&] { return handoff->state() != mail::Handoff::kRunning; }));
    EXPECT_EQ(handoff->state(), c.state);
    EXPECT_EQ(handoff->exitStatus(), std::atoi(c.status));
    EXPECT_NE(handoff->error().find(c.reason), std::string::npos) << handoff->error();
  }
  const auto calls = fake.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], mail::XdgEmailArguments(Tricky()));
  ::unsetenv("FAKE_MAIL_STATUS");
  ::unsetenv("DUNSELLOW_MAIL");
}

TEST(MailComposer, AMissingXdgEmailIsAFailedHandoff) {
  ::setenv("DUNSELLOW_MAIL", "xdg-email", 1);
  const std::string saved = std::getenv("PATH");
  ::setenv("PATH", testenv::MakeTempDir("empty-bin").c_str(), 1);
  auto handoff = mail::Compose(Tricky());
  ::setenv("PATH", saved.c_str(), 1);
  ::unsetenv("DUNSELLOW_MAIL");
  EXPECT_EQ(handoff->state(), mail::Handoff::kFailed);
  EXPECT_EQ(handoff->exitStatus(), -1);
  EXPECT_NE(handoff->error().find("not installed"), std::string::npos) << handoff->error();
}

}  // namespace
