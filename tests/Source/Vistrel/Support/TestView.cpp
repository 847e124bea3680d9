#include "TestView.h"

#include <glib.h>

#include <chrono>
#include <thread>

#include "App.h"
#include "CmdLineProcessor.h"
#include "TestEnvironment.h"
#include "ThumbPool.h"
#include "qel/QelMessage.h"

namespace vistreltest {

namespace {

const char* kLayout =
    "<layout name=\"cata_root\" w=\"700\" h=\"540\">\n"
    "  <element type=\"cata\" name=\"hcata_NoPreview\" x=\"30\" y=\"30\" w=\"640\" h=\"480\">\n"
    "    <element type=\"cata\" name=\"hcata_Image\" x=\"0\" y=\"0\" w=\"640\" h=\"480\" visible=\"0\"/>\n"
    "    <element type=\"cata\" name=\"view_NoPre\" x=\"0\" y=\"0\" w=\"640\" h=\"480\" visible=\"0\"/>\n"
    "    <element type=\"cata\" name=\"view_Loading\" x=\"300\" y=\"220\" w=\"40\" h=\"40\" visible=\"0\"/>\n"
    "  </element>\n"
    "</layout>\n";

}  // namespace

TestView::TestView() {
  auto file = testenv::MakeTempDir("view") / "view.aui";
  testenv::WriteFile(file, kLayout);
  Create(file.c_str(), nullptr, nullptr);
  m_hWnd = m_hMsgBoxParent = GetWindowRef();
  m_pPanel = static_cast<PubQelmar::QelPanel*>(GetRootPanel());
  auto find = [&](const char* name) { return static_cast<PubQelmar::QelPanel*>(GetElementByName(name)); };
  m_pNoPreviewCata = find("hcata_NoPreview");
  m_pImagePreviewArea = find("hcata_Image");
  m_pNoPreviewView = find("view_NoPre");
  m_pLoadingCata = find("view_Loading");
}

TestView::~TestView() { StopAllReadThread(); }

intptr_t TestView::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  if (msg == WM_FINISH_READ_THUMB) {
    ++finishedThumbs;
    OnFinishReadThumb(1, lp);
    handled = true;
    return 0;
  }
  if (msg == WM_FINISH_READ_ORGIMG) {
    ++finishedFull;
    OnFinishReadOrgImg(lp);
    handled = true;
    return 0;
  }
  return CQelWindow::ProcessMessage(msg, wp, lp, handled);
}

bool PumpUntil(const std::function<bool()>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    qel::DeliverPostedMessages();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void SetFiles(const std::vector<std::u16string>& paths) {
  g_pApp->ClearFileList();
  for (const std::u16string& p : paths) g_pApp->GetFilelist()->push_back(CCmdLineProcessor::NewFileInfo(p));
}

void ResetViewer() {
  CBaseWnd::StopAllReadThread();
  CBaseWnd::AbortReadThreadAndClear();
  delete CBaseWnd::m_pThumbPool;
  CBaseWnd::m_pThumbPool = nullptr;
  g_pApp->ClearFileList();
}

}  // namespace vistreltest
