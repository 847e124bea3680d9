// The preview and the page strip on the GTK backend under a private X
// server, used through the X server as a user does: a screenshot of a 2 x 2
// page of four photos, then clicks, drags, a double click and Escape on the
// paper, the copy buttons, and a page chosen in the strip.
#include <gtest/gtest.h>

#include <optional>

#include "PngColours.h"
#include "PreviewTestSupport.h"
#include "PrintImageList.h"
#include "PrintPage.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "XUser.h"
#include "qel/QelAlbum.h"
#include "qel/QelBackend.h"

namespace fs = std::filesystem;

namespace {

class PreviewClick : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    host_.emplace();
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
  }
  void TearDown() override {
    user_.reset();
    host_.reset();
  }
  // Six photos: a full 2 x 2 page and a second page of two.
  void Fill() {
    pvtest::PreviewHost& h = *host_;
    h.Cmd(0, reinterpret_cast<intptr_t>(static_cast<CZylPrintManager*>(h.manager)));
    h.Cmd(11);
    h.Cmd(1, reinterpret_cast<intptr_t>(h.album->Parent()->Handle()), h.album->Handle());
    for (uint32_t i = 0; i < 6; ++i) {
      const std::u16string p = h.Photo("s" + std::to_string(i) + ".png", imgtest::Scene(480, 360, i + 3));
      h.Cmd(17, reinterpret_cast<intptr_t>(p.c_str()), reinterpret_cast<const void*>(intptr_t(-1)));
    }
    h.Cmd(7, 1);
    ASSERT_TRUE(user_->Focus(h.window));
    ASSERT_TRUE(user_->WaitFor([&] { return user_->Where(h.window, "cata_papersheet").has_value(); }));
  }
  // A window point of the preview on the screen.
  POINT Screen(POINT p) {
    qel::Element* sheet = host_->Preview()->View();
    const SRect32 b = sheet->Bounds();
    std::optional<POINT> c = user_->Where(host_->window, "cata_papersheet");
    return POINT{c->x - (b.left + b.right) / 2 + p.x, c->y - (b.top + b.bottom) / 2 + p.y};
  }
  std::vector<int32_t> Resources() {
    std::vector<int32_t> v;
    CPrintPage* page = host_->Page();
    for (long i = 0; i < page->GetCellCount(); ++i) v.push_back(page->GetCell(i)->resIndex);
    return v;
  }

  std::optional<pvtest::PreviewHost> host_;
  std::optional<testenv::XUser> user_;
};

}  // namespace

TEST_F(PreviewClick, AScreenshotOfAFullPage) {
  Fill();
  const fs::path shots = testenv::BuildDir() / "screenshots";
  fs::create_directories(shots);
  const fs::path png = shots / "print-preview.png";
  user_->Settle();
  ASSERT_TRUE(qel::gtk::SaveWindowPng(host_->window, png.string()));
  EXPECT_GT(testpng::DistinctColours(png), 500u) << "the page shows no photos";
}

TEST_F(PreviewClick, CellsAreChosenSwappedAndDoubleClicked) {
  Fill();
  pvtest::PreviewHost& h = *host_;
  CPrintPage* page = h.Page();
  ASSERT_NE(page, nullptr);
  // A click chooses a cell.
  ASSERT_TRUE(user_->ClickAt(Screen(h.CellCentre(2))));
  EXPECT_TRUE(user_->WaitFor([&] { return page->GetActiveCell() == 2; }));
  // Escape during a drag: nothing moves.
  const auto before = Resources();
  ASSERT_TRUE(user_->PressAt(Screen(h.CellCentre(0))));
  ASSERT_TRUE(user_->MoveTo(Screen(h.CellCentre(1))));
  ASSERT_TRUE(user_->MoveTo(Screen(h.CellCentre(3))));
  ASSERT_TRUE(user_->WaitFor([&] { return h.Preview()->Drag().kind() != CPreviewDrag::kNone; }));
  ASSERT_TRUE(user_->Key("Escape"));
  EXPECT_TRUE(user_->WaitFor([&] { return h.Preview()->Drag().kind() == CPreviewDrag::kNone; }));
  ASSERT_TRUE(user_->ReleaseAt(Screen(h.CellCentre(3))));
  user_->Settle();
  EXPECT_EQ(Resources(), before);
  // Dragged and dropped: cells 0 and 3 change places. (Pressed a little
  // off the last press, which would otherwise make a double click.)
  const POINT c0 = h.CellCentre(0);
  ASSERT_TRUE(user_->PressAt(Screen(POINT{c0.x + 9, c0.y + 13})));
  ASSERT_TRUE(user_->MoveTo(Screen(h.CellCentre(1))));
  ASSERT_TRUE(user_->MoveTo(Screen(h.CellCentre(3))));
  // As a user's hand would: the drop comes once the drag is under way.
  ASSERT_TRUE(user_->WaitFor([&] { return h.Preview()->Drag().kind() != CPreviewDrag::kNone; }));
  ASSERT_TRUE(user_->ReleaseAt(Screen(h.CellCentre(3))));
  EXPECT_TRUE(user_->WaitFor([&] { return Resources()[0] == before[3] && Resources()[3] == before[0]; }));
  // A double click goes to the host.
  h.heard.clear();
  ASSERT_TRUE(user_->DoubleClickAt(Screen(h.CellCentre(1))));
  EXPECT_TRUE(user_->WaitFor([&] { return !h.Heard(PRTC_DBLCLICK).empty(); }));
}

TEST_F(PreviewClick, ThePageStripChoosesThePageShown) {
  Fill();
  pvtest::PreviewHost& h = *host_;
  ASSERT_EQ(h.Project()->GetPageCount(), 2);
  auto* album = dynamic_cast<qel::Album*>(h.album);
  ASSERT_TRUE(user_->WaitFor([&] { return album->ItemPanel(1) != nullptr; }));
  ASSERT_TRUE(user_->Click(h.window, album->ItemPanel(1)->FindByName("imgc_cont", true)));
  EXPECT_TRUE(user_->WaitFor([&] { return h.Project()->GetCurrentPage() == 1; }));
  EXPECT_EQ(h.Page(), h.Project()->GetPage(1));
  ASSERT_TRUE(user_->Click(h.window, album->ItemPanel(0)->FindByName("imgc_cont", true)));
  EXPECT_TRUE(user_->WaitFor([&] { return h.Page() == h.Project()->GetPage(0); }));
}

TEST_F(PreviewClick, CopyButtonsAddAndTakeCopies) {
  Fill();
  pvtest::PreviewHost& h = *host_;
  CPrintProject* project = h.Project();
  ASSERT_TRUE(user_->ClickAt(Screen(h.CellCentre(3))));
  ASSERT_TRUE(user_->WaitFor([&] { return h.Page()->GetActiveCell() == 3; }));
  const long res = h.Page()->GetCell(3)->resIndex;
  ASSERT_EQ(project->GetImageList()->GetCopies(res), 1);
  ASSERT_TRUE(user_->Click(h.window, "butn_22"));
  EXPECT_TRUE(user_->WaitFor([&] { return project->GetImageList()->GetCopies(res) == 2; }));
  ASSERT_TRUE(user_->Click(h.window, "butn_211"));
  EXPECT_TRUE(user_->WaitFor([&] { return project->GetImageList()->GetCopies(res) == 1; }));
  EXPECT_EQ(project->GetPageCount(), 2);
}
