// The file dialogs over the toolkit's choosers (answered by script here):
// what the chooser is asked, what the reply holds, the open dialog's filter
// and the save dialog's extension that follows the format.
#include <gtest/gtest.h>

#include <filesystem>

#include "NavDialog.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"

namespace {

namespace fs = std::filesystem;
namespace hl = qel::headless;

const tagNavFormat kJpeg[] = {{u"JPEG (*.JPG, *.JPEG)", u".JPG|.JPEG"}};
const tagNavFormat kPhotoFormats[] = {{u"JPEG", u".jpg|.jpeg"}, {u"TIFF", u".tif|.tiff"}};

TEST(NavDialog, OpenDialogListsFoldersAndNamesOfTheSelectedFormat) {
  CNavDialog open;
  EXPECT_TRUE(open.FilterAccepts(u"notes.txt", false)) << "without formats every file is listed";
  open.ResetNavFormat(kJpeg, 1, 0);
  struct Case {
    const char16_t* name;
    bool folder, listed;
  } cases[] = {{u"photo.jpeg", false, true},   {u"photo.JPG", false, true}, {u"photo.jpeg.txt", false, false},
               {u"Holiday", true, true},       {u"archive.txt", true, true}, {u"", false, false},
               {u"photo.jpg ", false, false}};
  for (const Case& c : cases) EXPECT_EQ(open.FilterAccepts(c.name, c.folder), c.listed) << (c.folder ? "folder " : "");
  open.SetFormatSelection(5);  // no such format: files are not listed
  EXPECT_FALSE(open.FilterAccepts(u"photo.jpg", false));
  EXPECT_TRUE(open.FilterAccepts(u"photo.jpg", true));
}

TEST(NavDialog, RunShowsTheChooserAndKeepsTheReplyUntilReleased) {
  fs::path dir = testenv::MakeTempDir("nav");
  testenv::WriteFile(dir / "a.jpg", "x");
  hl::ClearFileChoosers();
  hl::AnswerNextFileChooser({(dir / "a.jpg").string(), (dir / "gone.jpg").string()});

  CNavDialog open;
  open.ResetNavFormat(kJpeg, 1, 0);
  open.InitNavDialog(nullptr, u"Pick", kNavAllowPreviews);
  NavReplyRecord reply;
  EXPECT_FALSE(open.GetNavReply(reply)) << "no dialog yet";
  FSRef start;
  start.path = (dir / "a.jpg").string();  // a file: the chooser starts in its folder
  EXPECT_EQ(open.RunNavDialog(NAV_OPEN, &start), 1);

  std::vector<qel::FileChooserRequest> shown = hl::FileChooserRequests();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].action, qel::FileChooserRequest::kOpen);
  EXPECT_EQ(shown[0].folder, dir.string());
  EXPECT_EQ(shown[0].title, u"Pick");
  ASSERT_EQ(shown[0].filters.size(), 1u);
  EXPECT_EQ(shown[0].filters[0].extensions, (std::vector<std::string>{".JPG", ".JPEG"}));

  ASSERT_TRUE(open.GetNavReply(reply));
  EXPECT_TRUE(reply.validRecord);
  ASSERT_EQ(reply.selection.size(), 1u) << "an item whose reference cannot be made is skipped";
  FSRef first;
  EXPECT_EQ(CNavDialog::GetFSRefFromNavReply(reply, &first), 1);
  EXPECT_EQ(fs::path(first.path), fs::canonical(dir / "a.jpg"));
  open.ReleaseNavDialog();
  EXPECT_FALSE(open.GetNavReply(reply));

  // Cancelled, and a chooser asked to start somewhere missing.
  hl::CancelNextFileChooser();
  FSRef missing;
  missing.path = (dir / "nowhere" / "x.jpg").string();
  EXPECT_EQ(open.RunNavDialog(NAV_OPEN, &missing), 1);
  EXPECT_TRUE(hl::FileChooserRequests().back().folder.empty());
  ASSERT_TRUE(open.GetNavReply(reply));
  EXPECT_FALSE(reply.validRecord);
  EXPECT_EQ(CNavDialog::GetFSRefFromNavReply(reply, &first), 0);
}

TEST(NavSaveDialog, NameFollowsTheChosenFormat) {
  CNavSaveDialog save;
  save.ResetNavFormat(kPhotoFormats, 2, 0);
  struct Case {
    const char16_t* name;
    int32_t format;
    const char16_t* after;
  } cases[] = {{u"photo.jpeg", 1, u"photo.tif"},  {u"photo", 1, u"photo.tif"},      {u"photo.tiff", 0, u"photo.jpg"},
               {u"..photo.jpg.", 1, u"photo.tif"}, {u"photo.JPG", 1, u"photo.JPG.tif"}, {u"", 0, u".jpg"},
               {u"a.tif.jpg", 1, u"a.tif.tif"}};
  for (const Case& c : cases) {
    save.SetDefaultSaveName(c.name);
    save.SetFormatSelection(c.format);
    EXPECT_EQ(save.SaveName(), std::u16string(c.after)) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)).c_str();
    EXPECT_EQ(save.GetNavSaveFormat(), c.format);
  }
}

class RecordingSave : public CNavSaveDialog {
 public:
  std::vector<std::string> saved;
  void NavSave(NavReplyRecord& reply) override { saved.push_back(reply.selection.front().path); }
};

TEST(NavSaveDialog, TheSavedNameTakesTheFormatTheUserEndedWith) {
  fs::path dir = testenv::MakeTempDir("save");
  hl::ClearFileChoosers();
  hl::AnswerNextFileChooser({(dir / "scan.jpg").string()}, 1);
  RecordingSave save;
  save.ResetNavFormat(kPhotoFormats, 2, 0);
  save.SetDefaultSaveName(u"scan.jpg");
  save.InitNavDialog(nullptr, nullptr, kNavDefaultFlags);
  EXPECT_EQ(save.RunNavDialog(NAV_SAVE, nullptr), 1);
  EXPECT_EQ(hl::FileChooserRequests().back().name, u"scan.jpg");
  EXPECT_EQ(hl::FileChooserRequests().back().action, qel::FileChooserRequest::kSave);
  ASSERT_EQ(save.saved.size(), 1u);
  EXPECT_EQ(save.saved[0], (dir / "scan.tif").string());
  EXPECT_EQ(save.GetNavSaveFormat(), 1);

  hl::CancelNextFileChooser();
  EXPECT_EQ(save.RunNavDialog(NAV_SAVE, nullptr), 1);
  EXPECT_EQ(save.saved.size(), 1u) << "a cancelled save saves nothing";
}

}  // namespace
