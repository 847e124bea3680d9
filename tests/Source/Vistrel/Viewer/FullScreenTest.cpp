#include <gtest/gtest.h>

#include "BaseWnd.h"
#include "GlobalFun.h"
#include "TestView.h"
#include "ViewerFixture.h"
#include "qel/QelElement.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

using namespace vistreltest;

namespace {

class FullScreenTest : public ViewerFixture {
 protected:
  void SetUp() override {
    ViewerFixture::SetUp();
    pictures_ = MakePictures(6);
    ASSERT_TRUE(Start());
    SendCommandLine(u"\"" + pictures_[2] + u"\"");
    ASSERT_TRUE(Settle());
  }
  CFullScreenWnd& Full() { return Main().FullScreenWindow(); }
  qel::Element* ToolbarButton(const char* name) {
    return qel::Element::From(Main().FullScreenToolbar().Panel()->GetElementByName(name, 1));
  }
  void Click(const char* name) { qel::input::FireEvent(ToolbarButton(name), QEL_EV_CLICK, 0); }
  void FullKey(uint32_t code) {
    qel::input::Key(&Full(), code, true);
    qel::input::Key(&Full(), code, false);
  }

  std::vector<std::u16string> pictures_;
};

}  // namespace

TEST_F(FullScreenTest, TheKeyFCoversTheScreenWithTheToolbarAndEscapeLeaves) {
  qel::input::Key(&Main(), u'F', true);
  ASSERT_TRUE(Main().IsInFullScreenMode());
  EXPECT_FALSE(Main().IsWindowVisible());
  EXPECT_TRUE(Full().IsWindowVisible());
  SRect32 b = Full().Bounds();
  EXPECT_EQ(b.right - b.left, 1440);
  EXPECT_EQ(b.bottom - b.top, 900);
  EXPECT_EQ(Full().GetCurPath(), pictures_[2]);
  EXPECT_EQ(Full().ShownPicture(), Main().ShownPicture());
  ASSERT_TRUE(Main().FullScreenToolbar().IsWindowVisible());
  // The toolbar sits in the bottom-right corner, 20 pixels in.
  SRect32 t = qel::Element::From(Main().FullScreenToolbar().Panel())->Bounds();
  EXPECT_EQ(t.right, 1440 - 20);
  EXPECT_EQ(t.bottom, 900 - 20);

  FullKey(29);  // the view's keys work in full screen
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Full().GetCurIndex(), 3);

  FullKey(QEL_KEY_ESCAPE);
  EXPECT_FALSE(Main().IsInFullScreenMode());
  EXPECT_TRUE(Main().IsWindowVisible());
  EXPECT_FALSE(Full().IsWindowVisible());
  EXPECT_EQ(Main().GetCurIndex(), 3);  // the main window takes the state over
  EXPECT_EQ(Full().ShowCursorCount(), 0);
}

TEST_F(FullScreenTest, ToolbarCommandsDriveTheFullScreenView) {
  Main().ShowFullScreen();
  ASSERT_TRUE(Main().IsInFullScreenMode());
  for (const char* name : {"butn_Previous", "butn_Next", "butn_ZoomIn", "butn_rotate_left"})
    EXPECT_TRUE(ToolbarButton(name)->Enabled()) << name;
  Click("butn_Next");
  Click("butn_Next");
  EXPECT_EQ(Full().GetCurIndex(), 4);
  Click("butn_Previous");
  EXPECT_EQ(Full().GetCurIndex(), 3);
  ASSERT_TRUE(Settle());
  Click("butn_Back");
  EXPECT_FALSE(Main().IsInFullScreenMode());
  EXPECT_EQ(Main().GetCurIndex(), 3);
}

TEST_F(FullScreenTest, ANewCommandLineMovesTheFullScreenViewAndKeepsFullScreen) {
  Main().ShowFullScreen();
  std::vector<std::u16string> others = {pictures_[5], pictures_[0]};
  SendCommandLine(u"\"" + others[0] + u"\" \"" + others[1] + u"\"");
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(Main().IsInFullScreenMode());
  EXPECT_EQ(Full().GetCurIndex(), 0);
  EXPECT_EQ(Full().GetCurPath(), pictures_[5]);
  EXPECT_FALSE(Main().IsWindowVisible());
}

TEST_F(FullScreenTest, ACloseFromOutsideTheToolbarOnlyLeavesFullScreen) {
  Main().ShowFullScreen();
  EXPECT_EQ(Full().Close(), 0);
  EXPECT_TRUE(Full().IsCreated());
  EXPECT_FALSE(Main().IsInFullScreenMode());
  EXPECT_TRUE(Main().IsWindowVisible());
}

TEST_F(FullScreenTest, TheToolbarCloseButtonEndsTheViewer) {
  Main().ShowFullScreen();
  Click("butn_close");
  EXPECT_FALSE(Main().IsCreated());
  EXPECT_FALSE(Full().IsCreated());
  EXPECT_TRUE(theApp.QuitRequested());
}
