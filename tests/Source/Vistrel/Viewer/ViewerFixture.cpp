#include "ViewerFixture.h"

#include <glib.h>

#include "BaseWnd.h"
#include "TestEnvironment.h"
#include "TestView.h"
#include "ThumbPool.h"
#include "os/AppleEvents.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

namespace vistreltest {

void ViewerFixture::SetUp() {
  CThumbPool::m_nSleepTime = 0;
  theApp.SetBundleContents((testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Vistrel.app/Contents").string());
  folder_ = testenv::MakeTempDir("pictures").string();
}

void ViewerFixture::TearDown() {
  if (started_) theApp.ExitInstance();
  ResetViewer();
}

void ViewerFixture::SaveUserSettings(const std::string& xml) {
  std::string dir = std::string(g_get_user_config_dir()) + "/dunsellow";
  g_mkdir_with_parents(dir.c_str(), 0700);
  testenv::WriteFile(dir + "/Nuvo_Vistrel.xml", xml);
}

bool ViewerFixture::Start() {
  started_ = theApp.InitInstance() != 0;
  return started_;
}

std::vector<std::u16string> ViewerFixture::MakePictures(int count, int width, int height) {
  std::vector<std::u16string> out;
  for (int i = 0; i < count; ++i) {
    std::string path = folder_ + "/photo_" + std::to_string(100 + i) + ".jpg";
    testenv::WriteFile(path, "picture");
    out.push_back(QelFromUTF8(path));
    reader_.AddFile(out.back(), width, height);
  }
  return out;
}

void ViewerFixture::SendCommandLine(const std::u16string& text) {
  plat::AEDispatch(plat::MakeCommandLineEvent(text));
}

bool ViewerFixture::Settle() {
  return PumpUntil([&] {
    CBaseWnd& view = Main().IsInFullScreenMode() ? static_cast<CBaseWnd&>(Main().FullScreenWindow()) : Main();
    return !view.IsReadingCurThumb() && view.ShownPicture() != nullptr;
  });
}

bool ViewerFixture::Enabled(const char* name) {
  auto* e = qel::Element::From(Main().GetElementByName(name, 1));
  return e && e->Enabled();
}

bool ViewerFixture::Visible(const char* name) {
  auto* e = qel::Element::From(Main().GetElementByName(name, 1));
  return e && e->Visible();
}

}  // namespace vistreltest
