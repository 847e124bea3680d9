// The edit album by itself, driven through its album codes as the editors
// and the page drive it: files added by an editor, what the codes answer,
// look-ups by path and index, and what it tells its listener.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CaptureView.h"
#include "TestEnvironment.h"
#include "img/Bitmap.h"
#include "img/ImageFile.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

struct Recorder : ICaptureListener {
  int32_t Receive(int32_t source, const void* data, const void*) override {
    if (source == kEditAlbumSource && data) codes.push_back(static_cast<const _AlbumOptMsg*>(data)->code);
    return 0;
  }
  std::vector<int32_t> codes;
};

class EditAlbumView : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    folder_ = testenv::MakeTempDir("media");
    qel::Element* page = qel::LoadLayoutFile(std::string(EDIT_UI_DIR) + "/Edit.aui");
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(window_.CreateFromPanel(page->Handle(), nullptr, nullptr), 1);
    page->Release();
    qel::Element* left = hl::FindElement(&window_, "cata_Left");
    ASSERT_NE(left, nullptr);
    view_ = std::make_unique<CCaptureView>(reinterpret_cast<PubQelmar::QelPanel*>(left->Handle()), &listener_);
  }
  void TearDown() override {
    view_.reset();
    window_.Close();
    hl::PumpUntilIdle();
  }
  fs::path Photo(const std::string& name) {
    img::Bitmap b = img::Bitmap::Filled(64, 48, 90);
    fs::path p = folder_ / name;
    EXPECT_EQ(img::SaveJpeg(b, p.string(), img::JpegOptions{}), img::Status::kOk);
    return p;
  }
  std::u16string W(const fs::path& p) { return qel::ToU16(p.string()); }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (int32_t i = 0; i < view_->GetThumbCount(); ++i) {
      out.push_back(fs::path(qel::ToU8(view_->GetThumbnailPath(i))).filename().string());
    }
    return out;
  }

  fs::path folder_;
  CQelWindow window_;
  Recorder listener_;
  std::unique_ptr<CCaptureView> view_;
};

TEST_F(EditAlbumView, AFileAnEditorWroteComesFirstSelectedAndStored) {
  Photo("old.jpg");
  ASSERT_EQ(view_->Init(W(folder_).c_str()), 1);
  ASSERT_EQ(Names(), std::vector<std::string>{"old.jpg"});
  const fs::path added = Photo("Snapshot_Image1.jpg");
  listener_.codes.clear();
  EXPECT_EQ(view_->DoAlbumCall(CCaptureView::kAdd, 1, W(added).c_str(), nullptr), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Snapshot_Image1.jpg", "old.jpg"}));
  EXPECT_EQ(view_->GetCurrentThumbnail(), 0);
  EXPECT_EQ(view_->GetCurrentAlbum()->SelectedCount(), 1);
  EXPECT_NE(std::find(listener_.codes.begin(), listener_.codes.end(), kAlbumNotifyCurrent), listener_.codes.end());
  const std::string rows = "sqlite3 '" + (folder_ / "ZylORVThumb.db").string() +
                           "' 'SELECT FileName FROM MediaRecord WHERE FileName = \"Snapshot_Image1.jpg\";'";
  FILE* p = ::popen(rows.c_str(), "r");
  char line[256] = {};
  ASSERT_NE(p, nullptr);
  std::fgets(line, sizeof line, p);
  ::pclose(p);
  EXPECT_EQ(std::string(line), "Snapshot_Image1.jpg\n");
  // What cannot be added: a missing file, a type other than photo or movie.
  EXPECT_EQ(view_->DoAlbumCall(CCaptureView::kAdd, 1, W(folder_ / "missing.jpg").c_str(), nullptr), 0);
  EXPECT_EQ(view_->DoAlbumCall(CCaptureView::kAdd, 3, W(added).c_str(), nullptr), 0);
  EXPECT_EQ(view_->GetThumbCount(), 2);
}

TEST_F(EditAlbumView, CodesAnswerAfterTheSelectionAndLookUpsFindByPath) {
  Photo("b.jpg");
  Photo("a.jpg");
  ASSERT_EQ(view_->Init(W(folder_).c_str()), 1);
  const struct {
    int32_t selected;
    int32_t many, one;
  } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 1, 0}};
  for (const auto& c : cases) {
    qel::Album* album = view_->GetCurrentAlbum();
    album->Select(-1, false, false);
    for (int32_t i = 0; i < c.selected; ++i) album->Select(i, true, false);
    for (int32_t code : {CCaptureView::kCanDelete, CCaptureView::kCanPlay, CCaptureView::kCanPrint,
                         CCaptureView::kCanEmail}) {
      EXPECT_EQ(view_->DoAlbumCall(code, 0, nullptr, nullptr), c.many) << code << " with " << c.selected;
    }
    for (int32_t code : {CCaptureView::kCanProperty, CCaptureView::kCanFindTarget}) {
      EXPECT_EQ(view_->DoAlbumCall(code, 0, nullptr, nullptr), c.one) << code << " with " << c.selected;
    }
  }
  EXPECT_EQ(view_->DoAlbumCall(99, 0, nullptr, nullptr), 0);
  const std::u16string b = W(folder_ / "b.jpg");
  const int32_t at = view_->GetThumbnailIndexByName(b.c_str());
  ASSERT_GE(at, 0);
  EXPECT_EQ(view_->GetThumbnailIndexByName(W(folder_ / "B.JPG").c_str()), -1);  // another file here
  WCHAR small[4];
  EXPECT_EQ(view_->GetThumbnailPath(at, small, 4), int32_t(b.size() + 1));
  std::u16string whole(b.size() + 1, u'x');
  EXPECT_EQ(view_->GetThumbnailPath(at, whole.data(), whole.size()), 0);
  EXPECT_EQ(std::u16string(whole.c_str()), b);
  EXPECT_EQ(view_->SetCurSelThumb(at), 1);
  EXPECT_EQ(view_->GetCurrentThumbnail(), at);
  EXPECT_EQ(view_->SetCurSelThumb(7), 0);
  // A folder that is not there loads nothing.
  EXPECT_EQ(view_->Init(u"/no/such/folder"), 0);
}

}  // namespace
