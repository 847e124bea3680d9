// The e-mail bundle as the albums call it: the staged bundle is loaded, its
// entry gets the files, the confirm dialog and the progress window are
// answered as a user would, and the mail recorder shows what was handed to
// the mail program.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "MediaTools.h"
#include "NuvoDlgParam.h"
#include "TestEnvironment.h"
#include "mail/Composer.h"
#include "qel/QelHeadless.h"
#include "qel/QelLibrary.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using emailtest::MakeMovie;
using emailtest::MakePhoto;

std::u16string U16(const fs::path& p) { return QelFromUTF8(p.string()); }

bool SameBytes(const fs::path& a, const fs::path& b) {
  return std::system(("cmp -s " + mediatools::Quote(a) + " " + mediatools::Quote(b)).c_str()) == 0;
}

int Mode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return int(st.st_mode & 0777);
}

// The user lets the progress window run.
void LetProgressRun() {
  hl::AnswerNextModalBy([](CQelWindow*) {});
}

std::u16string Text(CQelWindow* w, const char* name) { return hl::Read(w, name).text; }

class EmailBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", testenv::MakeTempDir("cache").c_str(), 1);
    working_ = fs::path(std::getenv("XDG_CACHE_HOME")) / "dunsellow" / "ORVSendmail";
    media_ = testenv::MakeTempDir("media");
    mail::ClearRecordedMessages();
    mail::SetRecorderStatus(0);
    hl::ClearModalAnswers();
  }
  void TearDown() override {
    EXPECT_EQ(hl::PendingModalAnswers(), 0u) << "a dialog expected by the test did not come";
    hl::ClearModalAnswers();
    mail::SetRecorderStatus(0);
  }

  int32_t Send(const std::vector<fs::path>& files) {
    std::vector<std::u16string> paths;
    for (const fs::path& f : files) paths.push_back(U16(f));
    bool found = false;
    int32_t answer = CallBundleDialog(u"ZylEmail.bundle", "OrvMailDlg", paths, nullptr, false, nullptr, &found);
    EXPECT_TRUE(found);
    return answer;
  }

  fs::path working_;
  fs::path media_;
};

TEST_F(EmailBundle, BadRecordsAndFilesThatCannotBeSentShowNothing) {
  const fs::path bundle = testenv::StageDir() / "Dunsellow.app" / "Contents" / "ZylEmail.bundle";
  QelLibraryRef library = QelLoadLibrary(U16(bundle).c_str());
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<PFN_OrvMailDlg>(QelGetProcAddress(library, "OrvMailDlg"));
  ASSERT_NE(entry, nullptr);
  // A dialog shown by mistake would take this answer.
  hl::AnswerNextModalWith(1);
  EXPECT_EQ(entry(nullptr, nullptr), -1);
  NuvoDLGPARAM noItems;
  noItems.count = 2;
  EXPECT_EQ(entry(&noItems, nullptr), -1);
  NuvoDLGPARAM wrongSize;
  wrongSize.size = 20;
  EXPECT_EQ(entry(&wrongSize, nullptr), -1);

  for (const char* name : {"notes.txt", "scan.png", "clip.mp4", "photo.jpe", "noextension", "trailing."})
    testenv::WriteFile(media_ / name, "data");
  std::vector<std::u16string> paths{u"", U16(media_ / "missing.jpg")};
  for (const char* name : {"notes.txt", "scan.png", "clip.mp4", "photo.jpe", "noextension", "trailing."})
    paths.push_back(U16(media_ / name));
  fs::create_directory(media_ / "folder.jpg");
  paths.push_back(U16(media_ / "folder.jpg"));
  std::vector<NuvoDLGITEM> items(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) items[i].path = paths[i].c_str();
  items[0].path = nullptr;
  NuvoDLGPARAM record;
  record.count = int32_t(items.size());
  record.items = items.data();
  EXPECT_EQ(entry(&record, nullptr), 0);
  NuvoDLGPARAM empty;
  EXPECT_EQ(entry(&empty, nullptr), 0);
  QelFreeLibrary(library);
  EXPECT_EQ(hl::PendingModalAnswers(), 1u);
  hl::ClearModalAnswers();
  EXPECT_TRUE(mail::RecordedMessages().empty());
}

TEST_F(EmailBundle, ConfirmedFilesAreCopiedIntoAPrivateFolderAndHandedOver) {
  MakePhoto(media_ / "a.JPG");
  MakeMovie(media_ / "b.mov");
  testenv::WriteFile(media_ / "c.txt", "not sent");
  hl::AnswerNextModalBy([](CQelWindow* w) {
    EXPECT_EQ(Text(w, "view_AttachNum"), u"1/2");
    EXPECT_FALSE(hl::Read(w, "butn_Previous").enabled);
    EXPECT_TRUE(hl::Read(w, "butn_next").enabled);
    EXPECT_EQ(Text(w, "edit_Subject"), u"Photos and movies: a.JPG, b.mov");
    EXPECT_TRUE(hl::Click(w, "butn_next"));
    EXPECT_EQ(Text(w, "view_AttachNum"), u"2/2");
    EXPECT_TRUE(hl::Read(w, "butn_Previous").enabled);
    EXPECT_FALSE(hl::Read(w, "butn_next").enabled);
    EXPECT_TRUE(hl::Click(w, "butn_Previous"));
    EXPECT_EQ(Text(w, "view_AttachNum"), u"1/2");
    EXPECT_TRUE(hl::TypeText(w, "edit_Subject", u"Lesson 4: \"cells\""));
  }, "butn_Attach");
  LetProgressRun();
  EXPECT_EQ(Send({media_ / "a.JPG", media_ / "b.mov", media_ / "c.txt"}), 1);

  const auto sent = mail::RecordedMessages();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].subject, "Lesson 4: \"cells\"");
  EXPECT_EQ(sent[0].body, "\n\n");
  const fs::path folder = working_ / "0";
  ASSERT_EQ(sent[0].attachments,
            (std::vector<std::string>{(folder / "Attachment0.JPG").string(), (folder / "Attachment1.mov").string()}));
  EXPECT_TRUE(SameBytes(folder / "Attachment0.JPG", media_ / "a.JPG"));
  EXPECT_TRUE(SameBytes(folder / "Attachment1.mov", media_ / "b.mov"));
  EXPECT_EQ(Mode(folder), 0700);
  EXPECT_EQ(Mode(working_), 0700);
}

TEST_F(EmailBundle, APreviewCountsOnlyFilesWithAPictureAndReturnAttaches) {
  MakePhoto(media_ / "one.jpg");
  testenv::WriteFile(media_ / "broken.mov", "no movie in here");
  MakePhoto(media_ / "three.jpeg");
  hl::AnswerNextModalBy([](CQelWindow* w) {
    EXPECT_EQ(Text(w, "view_AttachNum"), u"1/2");
    EXPECT_TRUE(hl::TypeText(w, "edit_Subject", u"Typed"));
    EXPECT_TRUE(hl::PressKey(w, 13));
  });
  LetProgressRun();
  EXPECT_EQ(Send({media_ / "one.jpg", media_ / "broken.mov", media_ / "three.jpeg"}), 1);
  const auto sent = mail::RecordedMessages();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].subject, "Typed");
  EXPECT_EQ(sent[0].attachments.size(), 3u);
}

TEST_F(EmailBundle, OneFileDisablesBothStepsAndEscapeSendsNothing) {
  MakePhoto(media_ / "only.jpg");
  hl::AnswerNextModalBy([](CQelWindow* w) {
    EXPECT_EQ(Text(w, "view_AttachNum"), u"1/1");
    EXPECT_FALSE(hl::Read(w, "butn_Previous").enabled);
    EXPECT_FALSE(hl::Read(w, "butn_next").enabled);
    EXPECT_TRUE(hl::PressKey(w, 27));
  });
  EXPECT_EQ(Send({media_ / "only.jpg"}), 1);
  EXPECT_TRUE(mail::RecordedMessages().empty());
  EXPECT_FALSE(fs::exists(working_ / "0"));
}

TEST_F(EmailBundle, EveryRunCopiesIntoAFolderOfItsOwn) {
  MakePhoto(media_ / "a.jpg");
  for (int run = 0; run < 2; ++run) {
    hl::AnswerNextModal("butn_Attach");
    LetProgressRun();
    EXPECT_EQ(Send({media_ / "a.jpg"}), 1);
  }
  const auto sent = mail::RecordedMessages();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].attachments[0], (working_ / "0" / "Attachment0.jpg").string());
  EXPECT_EQ(sent[1].attachments[0], (working_ / "1" / "Attachment0.jpg").string());
  // The first message's copy is still there for its mail program.
  EXPECT_TRUE(SameBytes(working_ / "0" / "Attachment0.jpg", media_ / "a.jpg"));
}

TEST_F(EmailBundle, MoreThanTwoMegabytesIsAskedAbout) {
  struct Case {
    uintmax_t bytes;
    const char* answer;  // null: no question
    bool sent;
  };
  for (const Case& c : {Case{0x200000, nullptr, true}, Case{0x200001, "butn_OK", true},
                        Case{0x200001, "butn_Cancel", false}}) {
    SCOPED_TRACE(std::to_string(c.bytes) + (c.answer ? c.answer : ""));
    mail::ClearRecordedMessages();
    const fs::path file = media_ / "large.bmp";
    testenv::WriteFile(file, std::string(c.bytes, 'x'));
    hl::AnswerNextModal("butn_Attach");
    LetProgressRun();
    std::u16string question;
    if (c.answer) hl::AnswerNextModalBy([&](CQelWindow* w) { question = Text(w, "text_Msg"); }, c.answer);
    EXPECT_EQ(Send({file}), 1);
    EXPECT_EQ(mail::RecordedMessages().size(), c.sent ? 1u : 0u);
    if (c.answer) {
      EXPECT_NE(question.find(u"2.0 MB, more than 2 MB"), std::u16string::npos) << QelToUTF8(question);
    }
  }
}

TEST_F(EmailBundle, CancelWhileCopyingSendsNothingAndLeavesNoCopies) {
  const fs::path movie = media_ / "long.mov";
  testenv::WriteFile(movie, std::string(32 << 20, 'm'));
  hl::AnswerNextModal("butn_Attach");
  hl::AnswerNextModal("butn_Cancel");
  EXPECT_EQ(Send({movie, movie}), 1);
  EXPECT_TRUE(mail::RecordedMessages().empty());
  EXPECT_FALSE(fs::exists(working_ / "0"));
}

TEST_F(EmailBundle, FilesThatCouldNotBeCopiedAreNamed) {
  MakePhoto(media_ / "kept.jpg");
  MakePhoto(media_ / "gone.jpg");
  // The file goes while the dialog is up.
  hl::AnswerNextModalBy([&](CQelWindow*) { fs::remove(media_ / "gone.jpg"); }, "butn_Attach");
  LetProgressRun();
  std::u16string told;
  hl::AnswerNextModalBy([&](CQelWindow* w) { told = Text(w, "text_Msg"); }, "butn_OK");
  EXPECT_EQ(Send({media_ / "kept.jpg", media_ / "gone.jpg"}), 1);
  EXPECT_NE(told.find(u"gone.jpg"), std::u16string::npos) << QelToUTF8(told);
  const auto sent = mail::RecordedMessages();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].attachments, std::vector<std::string>{(working_ / "0" / "Attachment0.jpg").string()});
}

TEST_F(EmailBundle, AMailProgramThatFailsIsReported) {
  MakePhoto(media_ / "a.jpg");
  mail::SetRecorderStatus(3);
  hl::AnswerNextModal("butn_Attach");
  LetProgressRun();
  std::u16string told;
  hl::AnswerNextModalBy([&](CQelWindow* w) { told = Text(w, "text_Msg"); }, "butn_OK");
  EXPECT_EQ(Send({media_ / "a.jpg"}), 1);
  EXPECT_NE(told.find(u"no mail program"), std::u16string::npos) << QelToUTF8(told);
}

}  // namespace
