// From the camera to the mail program: the program with its staged capture
// module takes two photos with the stand-in camera, both are selected in the
// album, its E-mail button opens the confirm dialog, Attach is clicked, and
// the mail program (a fake xdg-email) gets the subject and two attachments
// with the photos' bytes. Every step is a click or key through the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "EmailTestUser.h"
#include "FakeXdgEmail.h"
#include "MyQelApp.h"
#include "PrivateDisplay.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "os/ProcessTable.h"
#include "qel/QelAlbum.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

std::vector<fs::path> Photos(const fs::path& folder) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".jpg") out.push_back(entry.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool SameBytes(const fs::path& a, const fs::path& b) {
  return testenv::ReadFile(a) == testenv::ReadFile(b) && !testenv::ReadFile(a).empty();
}

using emailtest::ModalWith;

class EmailEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override {
    if (started_) theApp.ExitInstance();
  }
  CMyMainFrame* Frame() { return theApp.GetMainFrame(); }
  qel::Album* Album() {
    return dynamic_cast<qel::Album*>(qel::Element::From(Frame()->GetElementByName("albumtable")));
  }
  bool Click(CQelWindow* w, const char* element) { return emailtest::HandClick(*user_, w, element); }

  std::optional<testenv::XUser> user_;
  plat::FakeProcessTable processes_;
  bool started_ = false;
};

TEST_F(EmailEndToEnd, TwoPhotosFromTheCameraReachTheMailProgram) {
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
  if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
  testmail::FakeXdgEmail fake;
  ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
  ASSERT_EQ(theApp.InitInstance(), 1);
  started_ = true;
  if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
  Frame()->SetProcessTable(&processes_);
  user_.emplace();
  ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
  const fs::path folder = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";

  // The capture module from the home page, its camera showing a picture.
  ASSERT_TRUE(user_->WaitFor([this] {
    qel::Element* b = qel::Element::From(Frame()->GetElementByName("butn_active"));
    return b && b->EffectivelyVisible();
  }));
  ASSERT_TRUE(user_->Focus(Frame()));
  ASSERT_TRUE(Click(Frame(), "butn_active"));
  ASSERT_TRUE(user_->WaitFor([this] {
    qel::Element* b = qel::Element::From(Frame()->GetElementByName("butn_image"));
    return b && b->EffectivelyVisible() && b->EffectivelyEnabled() && !Frame()->Root()->FindByName("cata_Active", true);
  }, 30));
  user_->WaitFor([] { return false; }, 1);  // the stand-in camera's first frames

  // Two photos.
  for (size_t n = 1; n <= 2; ++n) {
    ASSERT_TRUE(Click(Frame(), "butn_image"));
    ASSERT_TRUE(user_->WaitFor([&] { return Photos(folder).size() == n && Album() && Album()->Count() == int32_t(n); }))
        << "photo " << n;
  }
  const std::vector<fs::path> photos = Photos(folder);

  // Both chosen in the album, then its E-mail button; the
  // confirm dialog runs its own loop, so the rest is a script.
  bool attached = false;
  user_->Run([&] {
    // The first photo clicked, the second with Control held.
    for (int32_t index = 0; index < 2; ++index) {
      qel::Element* item = nullptr;
      // Its panel is made once the album has laid the new photo out.
      ASSERT_TRUE(user_->WaitFor([&] { return (item = Album()->ItemPanel(index)) != nullptr; }));
      std::optional<POINT> at = user_->Where(Frame(), item);
      ASSERT_TRUE(at);
      ASSERT_TRUE(user_->MoveTo(POINT{at->x + 3, at->y + 2}));
      user_->Settle();
      if (index == 1) ASSERT_EQ(std::system("xdotool keydown ctrl"), 0);
      user_->Settle();
      const bool clicked = user_->ClickAt(*at);
      if (index == 1) ASSERT_EQ(std::system("xdotool keyup ctrl"), 0);
      ASSERT_TRUE(clicked);
      ASSERT_TRUE(user_->WaitFor([&] { return Album()->SelectedCount() == index + 1; }));
    }
    ASSERT_TRUE(user_->WaitFor([this] { return Album()->SelectedCount() == 2; }));
    ASSERT_TRUE(user_->WaitFor([this] {
      qel::Element* b = qel::Element::From(Frame()->GetElementByName("butn_Email"));
      return b && b->EffectivelyEnabled();
    }));
    ASSERT_TRUE(Click(Frame(), "butn_Email"));
    CQelWindow* confirm = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] { return (confirm = ModalWith("imgc_EmailPreview")) != nullptr; }));
    ASSERT_TRUE(user_->Focus(confirm));
    std::u16string counter;
    user_->OnMain([&] { counter = hl::Read(confirm, "view_AttachNum").text; });
    EXPECT_EQ(counter, u"1/2");
    ASSERT_TRUE(Click(confirm, "butn_Attach"));
    attached = user_->WaitFor([&] { return fake.Calls().size() == 1 && !ModalWith("hscl_progress"); });
  });
  ASSERT_TRUE(attached);

  const auto calls = fake.Calls();
  ASSERT_EQ(calls.size(), 1u);
  const std::vector<std::string>& args = calls[0];
  ASSERT_EQ(args.size(), 9u);
  EXPECT_EQ(args[1], "--subject");
  const std::string subject = args[2];
  for (const fs::path& photo : photos) EXPECT_NE(subject.find(photo.filename().string()), std::string::npos) << subject;
  EXPECT_EQ(args[5], "--attach");
  EXPECT_EQ(args[7], "--attach");
  // The album lists the newest first; each photo is attached once.
  std::vector<fs::path> attachments{args[6], args[8]};
  for (const fs::path& photo : photos) {
    EXPECT_TRUE(SameBytes(attachments[0], photo) || SameBytes(attachments[1], photo)) << photo;
  }
  EXPECT_FALSE(SameBytes(attachments[0], attachments[1]));
}

}  // namespace
