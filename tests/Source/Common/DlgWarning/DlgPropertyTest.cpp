// The property dialogs over the plug-ins' dialog base: the layout comes from
// the "UI" folder beside the module's bundle, each text lands in its
// element (long ones also as tool tips), missing elements are skipped, and
// Return / Escape answer OK / Cancel.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DlgProperty.h"
#include "ModuleInstance.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

const char* kImageLayout = R"(<layout name="cata_root" w="400" h="240">
  <element type="cata" name="cata_drag_mac" w="400" h="30"/>
  <element type="edit" name="edit_filename" x="10" y="40" w="380" h="18"/>
  <element type="edit" name="edit_filepath" x="10" y="70" w="380" h="18"/>
  <element type="edit" name="edit_filesize" x="10" y="100" w="380" h="18"/>
  <element type="edit" name="edit_filetime" x="10" y="130" w="380" h="18"/>
  @FORMAT@
</layout>)";

const char* kVideoLayout = R"(<layout name="cata_root" w="400" h="260">
  <element type="edit" name="edit_filename" x="10" y="10" w="380" h="18"/>
  <element type="edit" name="edit_filepath" x="10" y="40" w="380" h="18"/>
  <element type="edit" name="edit_filesize" x="10" y="70" w="380" h="18"/>
  <element type="edit" name="edit_filetime" x="10" y="100" w="380" h="18"/>
  <element type="edit" name="edit_mediaduration" x="10" y="130" w="380" h="18"/>
  <element type="edit" name="edit_audioformat" x="10" y="160" w="380" h="18"/>
  <element type="edit" name="edit_videoformat" x="10" y="190" w="380" h="18"/>
</layout>)";

// <dir>/Test.bundle with the layouts in <dir>/UI, stored as the module.
void MakeModule(bool withFormat) {
  fs::path dir = testenv::MakeTempDir("module");
  testenv::WriteFile(dir / "Test.bundle" / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>com.talvexa.test</string>\n</dict></plist>\n");
  std::string image = kImageLayout;
  image.replace(image.find("@FORMAT@"), 8,
                withFormat ? R"(<element type="edit" name="edit_fileformat" x="10" y="160" w="380" h="18"/>)" : "");
  testenv::WriteFile(dir / "UI" / "ImageProperty.aui", image);
  testenv::WriteFile(dir / "UI" / "VideoProperty.aui", kVideoLayout);
  auto bundle = plat::Bundle::AtPath((dir / "Test.bundle").string());
  ASSERT_TRUE(bundle);
  vStoreModuleInst(&*bundle);
}

tagIMAGE_PROPERTY ImageRecord() {
  tagIMAGE_PROPERTY p;
  p.fileName = u"Talvexa_17.jpg";
  p.filePath = u"/home/ann/Documents/Document Camera Media/Capture/" + std::u16string(300, u'x') + u"/Talvexa_17.jpg";
  p.fileSize = u"1,024 KB";
  p.fileTime = u"12/10/2025 09:41:00";
  p.fileFormat = u"1280 x 960";
  return p;
}

class DlgPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override { hl::ClearModalAnswers(); }
  void TearDown() override {
    vStoreModuleInst(nullptr);
    hl::ClearModalAnswers();
  }
};

TEST_F(DlgPropertyTest, TextsAndToolTipsOfAnImage) {
  MakeModule(true);
  const tagIMAGE_PROPERTY p = ImageRecord();
  CDlgImageProperty dialog(p, nullptr);
  ASSERT_TRUE(dialog.Create(u"ImageProperty.aui", nullptr, nullptr));
  struct Expect {
    const char* element;
    std::u16string text;
    bool tip;
  };
  const Expect expected[] = {{"edit_filename", p.fileName, true},  {"edit_filepath", p.filePath, true},
                             {"edit_filesize", p.fileSize, false}, {"edit_filetime", p.fileTime, true},
                             {"edit_fileformat", p.fileFormat, false}};
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.element);
    qel::Element* element = hl::FindElement(&dialog, e.element);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->Text(), e.text);
    EXPECT_EQ(element->Tips(), e.tip ? e.text : std::u16string());
  }
  hl::AnswerNextModalKey(QEL_KEY_RETURN);
  EXPECT_EQ(dialog.DoModal(), 0);
}

TEST_F(DlgPropertyTest, ALayoutWithoutTheFormatFieldShowsTheRest) {
  MakeModule(false);
  CDlgImageProperty dialog(ImageRecord(), nullptr);
  ASSERT_TRUE(dialog.Create(u"ImageProperty.aui", nullptr, nullptr));
  EXPECT_EQ(hl::Read(&dialog, "edit_filesize").text, u"1,024 KB");
  EXPECT_FALSE(hl::Read(&dialog, "edit_fileformat").found);
  hl::AnswerNextModalKey(QEL_KEY_ESCAPE);
  EXPECT_EQ(dialog.DoModal(), 1);
}

TEST_F(DlgPropertyTest, TextsOfAMovieAndTheKeys) {
  MakeModule(true);
  tagVIDEO_PROPERTY p;
  p.fileName = u"Talvexa_3.mov";
  p.filePath = u"/media/Capture/Talvexa_3.mov";
  p.fileSize = u"20,480 KB";
  p.fileTime = u"12/10/2025 09:41:00";
  p.mediaDuration = u"00:01:05";
  p.audioFormat = u" PCM\n 2 channels";
  p.videoFormat = u" MPEG-4 Video\n 640 x 480";
  for (uint32_t key : {QEL_KEY_RETURN, QEL_KEY_ESCAPE}) {
    CDlgVideoProperty dialog(p, nullptr);
    ASSERT_TRUE(dialog.Create(u"VideoProperty.aui", nullptr, nullptr));
    EXPECT_EQ(hl::Read(&dialog, "edit_mediaduration").text, p.mediaDuration);
    EXPECT_EQ(hl::Read(&dialog, "edit_audioformat").text, p.audioFormat);
    EXPECT_EQ(hl::Read(&dialog, "edit_videoformat").text, p.videoFormat);
    EXPECT_EQ(hl::FindElement(&dialog, "edit_filepath")->Tips(), p.filePath);
    hl::AnswerNextModalKey(key);
    EXPECT_EQ(dialog.DoModal(), key == QEL_KEY_RETURN ? 0 : 1);
  }
}

TEST_F(DlgPropertyTest, NoModuleBundleNoDialog) {
  vStoreModuleInst(nullptr);
  CDlgImageProperty dialog(ImageRecord(), nullptr);
  EXPECT_FALSE(dialog.Create(u"ImageProperty.aui", nullptr, nullptr));
}

}  // namespace
