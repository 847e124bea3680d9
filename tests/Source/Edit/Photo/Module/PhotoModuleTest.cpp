// The photo editor as the user meets it in the edit module: resizing
// through the dialog, Save As onto the file itself or another one, Reset,
// and a photo that vanished while it was being edited.
#include <gtest/gtest.h>

#include <filesystem>

#include "EditModuleFixture.h"
#include "img/ImageFile.h"
#include "qel/QelHeadless.h"
#include "qel/QelImageControl.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

class PhotoInModule : public EditModuleTest {
 protected:
  void OpenOnePhoto(int width = 640, int height = 480) {
    path_ = MakePhoto("a.jpg", 90, 120, 150, width, height);
    Start();
    LaunchEdit();
    ASSERT_EQ(Current(), "a.jpg");
  }
  SIZE PictureSize() {
    auto* control = qel::ImageControl::From(Find("imgc")->Handle());
    return control && control->Pict() ? control->Pict()->Size() : SIZE{0, 0};
  }
  void Brighten(int32_t pos) {
    ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_1", pos));
    Pump();
  }
  void Resize(const std::u16string& width) {
    hl::AnswerNextModalBy([&](CQelWindow* w) { hl::TypeText(w, "cedt_H", width); }, "butn_OK");
    ASSERT_TRUE(hl::Click(&Frame(), "butn_resize"));
    Pump();
    EXPECT_EQ(hl::PendingModalAnswers(), 0u) << "no dialog came up";
  }
  bool EditsOpen() { return Enabled("butn_Reset"); }

  fs::path path_;
};

TEST_F(PhotoInModule, EachResizeIsAStepOfItsOwn) {
  OpenOnePhoto();
  Resize(u"320");
  EXPECT_EQ(PictureSize().cx, 320);
  EXPECT_EQ(PictureSize().cy, 240);
  Resize(u"160");
  EXPECT_EQ(PictureSize().cy, 120);
  EXPECT_TRUE(EditsOpen());
  ASSERT_TRUE(hl::Click(&Frame(), "butn_undo"));
  Pump();
  EXPECT_EQ(PictureSize().cx, 320);
  ASSERT_TRUE(hl::Click(&Frame(), "butn_undo"));
  Pump();
  EXPECT_EQ(PictureSize().cx, 640);
  EXPECT_FALSE(EditsOpen());
}

TEST_F(PhotoInModule, SaveAsOntoTheFileItselfSavesTheEditsAndElsewhereKeepsThemOpen) {
  OpenOnePhoto();
  Brighten(40);
  // The chooser starts in the photo's folder with its name, JPEG or BMP.
  hl::AnswerNextFileChooser({path_.string()});
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Saveas"));
  Pump();
  std::vector<qel::FileChooserRequest> asked = hl::FileChooserRequests();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, qel::FileChooserRequest::kSave);
  EXPECT_EQ(fs::path(asked[0].folder), path_.parent_path() / "");
  EXPECT_EQ(asked[0].name, u"a.jpg");
  ASSERT_EQ(asked[0].filters.size(), 2u);
  EXPECT_FALSE(EditsOpen());
  img::Decoded saved;
  ASSERT_EQ(img::DecodeFile(path_.string(), {}, saved), img::Status::kOk);
  EXPECT_GT(saved.pixels.row(10)[30], 120);  // green 120 brightened

  // Another name (on Linux "A.JPG" is another file): the edits stay open;
  // the format follows the chosen name.
  Brighten(20);
  for (const char* other : {"A.JPG", "copy.bmp"}) {
    hl::AnswerNextFileChooser({(MediaFolder() / other).string()});
    ASSERT_TRUE(hl::Click(&Frame(), "butn_Saveas"));
    Pump();
    EXPECT_TRUE(EditsOpen()) << other;
    img::ImageInfo info;
    ASSERT_EQ(img::ReadImageInfo((MediaFolder() / other).string(), info), img::Status::kOk) << other;
  }
  img::ImageInfo bmp;
  img::ReadImageInfo((MediaFolder() / "copy.bmp").string(), bmp);
  EXPECT_EQ(bmp.format, img::FileFormat::kBmp);
  // Cancelled: nothing happens.
  hl::CancelNextFileChooser();
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Saveas"));
  Pump();
  EXPECT_TRUE(EditsOpen());
}

TEST_F(PhotoInModule, ResetGoesBackToTheFileAndEmptiesTheHistory) {
  OpenOnePhoto(300, 200);
  Brighten(30);
  ASSERT_TRUE(hl::Click(&Frame(), "butn_rotate_left"));
  Pump();
  EXPECT_EQ(PictureSize().cx, 200);
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Reset"));
  Pump();
  EXPECT_EQ(PictureSize().cx, 300);
  EXPECT_FALSE(EditsOpen());
  EXPECT_FALSE(Enabled("butn_undo"));
  EXPECT_FALSE(Enabled("butn_redo"));
  EXPECT_EQ(hl::Read(&Frame(), "hscrl_1").scroll_pos, 0);
}

TEST_F(PhotoInModule, AVanishedPhotoIsOfferedForRemovalAndNotWrittenAgain) {
  OpenOnePhoto();
  Brighten(30);
  fs::remove(path_);
  std::u16string message;
  hl::AnswerNextModalBy([&](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Save"));
  Pump();
  EXPECT_NE(message.find(u"cannot be found"), std::u16string::npos);
  EXPECT_NE(message.find(u"Remove it from the album?"), std::u16string::npos);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(AlbumNames().empty());
}

}  // namespace
