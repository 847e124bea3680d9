// Unsaved edits are never replaced without a question: choosing another
// file, the arrow keys, switching the album, leaving the module and a new
// media folder all ask first, and each answer does what it says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "EditModuleFixture.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "qel/QelCore.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using Names = std::vector<std::string>;

// Grey level (the green byte) at the middle of a JPEG.
int MiddleGrey(const fs::path& path) {
  img::Decoded decoded;
  if (img::DecodeFile(path.string(), img::DecodeOptions{}, decoded) != img::Status::kOk) return -1;
  const img::Bitmap& b = decoded.pixels;
  return b.row(b.height() / 2)[3 * (b.width() / 2) + 1];
}

class EditSaveQuestion : public EditModuleTest {
 protected:
  // Two photos, "a.jpg" shown and brightened, "b.jpg" after it.
  void StartWithAnEdit() {
    MakePhoto("b.jpg", 100, 100, 100);
    MakePhoto("a.jpg", 60, 60, 60);
    Start();
    LaunchEdit();
    ASSERT_EQ(Current(), "a.jpg");
    ASSERT_FALSE(Enabled("butn_Save"));
    ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_1", 50));
    Pump();
    ASSERT_TRUE(Enabled("butn_Save"));
  }
  bool EditsOpen() { return Enabled("butn_Reset"); }
};

// One program per answer: the question, then what the answer did.
struct Answer {
  const char* button;
  const char* current;
  bool editsOpen;
  bool saved;
};

class EditSaveAnswer : public EditSaveQuestion, public ::testing::WithParamInterface<Answer> {};

TEST_P(EditSaveAnswer, ChoosingAnotherFileAsksAndTheAnswerDoesWhatItSays) {
  const Answer& c = GetParam();
  StartWithAnEdit();
  const int before = MiddleGrey(MediaFolder() / "a.jpg");
  hl::AnswerNextModal(c.button);
  ASSERT_TRUE(PressItem(1));
  EXPECT_EQ(hl::PendingModalAnswers(), 0u) << "no question was asked";
  EXPECT_EQ(Current(), c.current);
  EXPECT_EQ(EditsOpen(), c.editsOpen);
  const int after = MiddleGrey(MediaFolder() / "a.jpg");
  if (c.saved) EXPECT_GT(after, before + 20);
  else EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Answers, EditSaveAnswer,
                         ::testing::Values(Answer{"butn_Cancel", "a.jpg", true, false},
                                           Answer{"butn_No", "b.jpg", false, false},
                                           Answer{"butn_Yes", "b.jpg", false, true}),
                         [](const ::testing::TestParamInfo<Answer>& info) {
                           return std::string(info.param.button).substr(5);
                         });

TEST_F(EditSaveQuestion, WithoutEditsNothingIsAsked) {
  MakePhoto("b.jpg", 100, 100, 100);
  MakePhoto("a.jpg", 60, 60, 60);
  Start();
  LaunchEdit();
  ASSERT_TRUE(PressItem(1));
  EXPECT_EQ(Current(), "b.jpg");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_home"));
  Pump();
  EXPECT_FALSE(Find("cata_editpage"));
}

TEST_F(EditSaveQuestion, LeavingTheModuleAsks) {
  StartWithAnEdit();
  hl::AnswerNextModal("butn_Cancel");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_home"));
  Pump();
  EXPECT_TRUE(Shown("cata_editpage"));
  EXPECT_TRUE(EditsOpen());
  hl::AnswerNextModal("butn_No");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_home"));
  Pump();
  EXPECT_EQ(Find("cata_editpage"), nullptr);
  EXPECT_TRUE(Shown("cata_Butn"));
}

TEST_F(EditSaveQuestion, AFailedSaveSaysSoAndStays) {
  StartWithAnEdit();
  const fs::path file = MediaFolder() / "a.jpg";
  // Root ignores permission bits: an immutable file refuses the save.
  if (std::system(("chattr +i '" + file.string() + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the file system cannot make a file immutable";
  }
  std::u16string message;
  hl::AnswerNextModal("butn_Yes");
  hl::AnswerNextModalBy([&](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
  hl::Click(&Frame(), "butn_home");
  Pump();
  std::system(("chattr -i '" + file.string() + "'").c_str());
  EXPECT_EQ(message, u"The photo could not be saved. Your changes are still open.");
  EXPECT_TRUE(Shown("cata_editpage"));
  EXPECT_TRUE(EditsOpen());
}

TEST_F(EditSaveQuestion, ArrowKeysAskAndNeverWrapAcrossRows) {
  StartWithAnEdit();
  qel::Album* album = Album();
  ASSERT_NE(album, nullptr);
  ASSERT_EQ(album->PerLine(), 2);
  // The last item of a row: right would wrap, so nothing happens.
  hl::AnswerNextModal("butn_No");
  ASSERT_TRUE(PressItem(1));
  ASSERT_EQ(Current(), "b.jpg");
  ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_1", 30));
  Pump();
  hl::PressKey(&Frame(), 29);
  Pump();
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_EQ(Current(), "b.jpg");
  // Left asks; Cancel stays.
  hl::AnswerNextModal("butn_Cancel");
  hl::PressKey(&Frame(), 28);
  Pump();
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_EQ(Current(), "b.jpg");
  hl::AnswerNextModal("butn_No");
  hl::PressKey(&Frame(), 28);
  Pump();
  EXPECT_EQ(Current(), "a.jpg");
  EXPECT_FALSE(EditsOpen());
}

TEST_F(EditSaveQuestion, SwitchingTheAlbumAsksAndCancelKeepsIt) {
  StartWithAnEdit();
  hl::AnswerNextModal("butn_Cancel");
  ASSERT_TRUE(hl::SelectItem(&Frame(), "comb_capture", 1));
  Pump();
  EXPECT_EQ(Find("comb_capture")->Selection(), 0);
  EXPECT_TRUE(Find("albumtable")->Visible());
  EXPECT_TRUE(EditsOpen());
}

TEST_F(EditSaveQuestion, ANewMediaFolderAsksAndCancelKeepsTheOldOne) {
  const fs::path other = testenv::MakeTempDir("media");
  fs::create_directories(other / "Capture");
  fs::rename(MakePhoto("other.jpg", 1, 1, 1), other / "Capture" / "other.jpg");
  StartWithAnEdit();
  SaveProfileString(u"Option", u"Media Folder", qel::ToU16(other.string()).c_str());

  hl::AnswerNextModal("butn_Cancel");
  Frame().PostMessage(2026, 0, 0);
  Pump();
  EXPECT_EQ(AlbumNames(), (Names{"a.jpg", "b.jpg"}));
  EXPECT_TRUE(EditsOpen());

  hl::AnswerNextModal("butn_No");
  Frame().PostMessage(2026, 0, 0);
  Pump();
  EXPECT_EQ(AlbumNames(), (Names{"other.jpg"}));
  EXPECT_EQ(Current(), "other.jpg");
}

}  // namespace
