#include "PlayToolbar.h"

#include "FullScreenWnd.h"
#include "MainFrame.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelLayout.h"

namespace {

CPlayToolbar* Self(void* data) { return static_cast<CPlayToolbar*>(data); }

}  // namespace

CPlayToolbar::~CPlayToolbar() { ClearCallBacks(); }

int CPlayToolbar::CreateWnd(CFullScreenWnd* parent, const std::string& bundleContents) {
  if (!parent || !parent->Root()) return 0;
  const std::string layout = bundleContents + "/UI/playvanefull.aui";
  QelObject panel = QelCreateLayout(layout.c_str());
  if (!panel) return 0;
  m_pPanel = qel::Element::From(panel);
  m_pPanel->PutInside(parent->Root(), nullptr);  // over the video
  Qel0Release(panel);
  m_pPanel->Show(false);
  if (qel::Element* e = Find("butn_SelectImage")) e->Show(false);
  for (const char* name : {"chck_mute", "chck_Loop"})
    if (qel::Element* e = Find(name)) e->SetCheck(0);
  if (qel::Element* volume = Find("hscrl_Volume")) {
    volume->SetScrollRange(0, 101);
    volume->SetScrollPage(1);
    volume->SetScrollPos(50);
  }
  for (const char* name : {"butn_BackToBegin", "butn_Previous", "butn_Next", "butn_Stop", "butn_ShowNormalWindow"})
    RegisterCallBack(name, QEL_EV_CLICK, &ClickProc);
  for (const char* name : {"chck_Play", "chck_mute", "chck_Loop"})
    RegisterCallBack(name, CQelCallbackMap::kAllEvents, &CheckProc);
  for (const char* name : {"hscrl_Volume", "hscrl_PlayProgress"})
    RegisterCallBack(name, CQelCallbackMap::kAllEvents, &SliderProc);
  AttachCallBacks(panel);
  return 1;
}

qel::Element* CPlayToolbar::Find(const char* name) const {
  return m_pPanel ? m_pPanel->FindByName(name, true) : nullptr;
}

void CPlayToolbar::ShowWindow(int cmd) {
  if (m_pPanel) m_pPanel->Show(cmd != 0);
}

bool CPlayToolbar::IsWindowVisible() const { return m_pPanel && m_pPanel->Visible(); }

bool CPlayToolbar::IsWindowEnabled() const { return m_pPanel && m_pPanel->Enabled(); }

int32_t CPlayToolbar::ClickProc(QelObject element, int32_t, QELLPARAM, void* data) {
  CPlayToolbar* self = Self(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !self->m_pMainFrame || !e) return 0;
  CMainFrame* main = self->m_pMainFrame;
  const std::string& name = e->Name();
  if (name == "butn_BackToBegin") main->BackToBeginButtonPushed();
  else if (name == "butn_Previous") main->PreviousButtonPushed();
  else if (name == "butn_Next") main->NextButtonPushed();
  else if (name == "butn_Stop") main->StopButtonPushed();
  else if (name == "butn_ShowNormalWindow") main->ShowNormalWindowMode();
  return 0;
}

int32_t CPlayToolbar::CheckProc(QelObject element, int32_t event, QELLPARAM, void* data) {
  CPlayToolbar* self = Self(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !self->m_pMainFrame || !e || event != QEL_EV_CLICK) return 0;
  CMainFrame* main = self->m_pMainFrame;
  if (qel::NamesEqual(e->Name(), "chck_Play")) main->PlayButtonPushed(1);
  else if (e->Name() == "chck_mute") main->MuteButtonPushed(1);
  else if (e->Name() == "chck_Loop") main->LoopButtonPushed(1);
  return 0;
}

int32_t CPlayToolbar::SliderProc(QelObject element, int32_t event, QELLPARAM, void* data) {
  CPlayToolbar* self = Self(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !self->m_pMainFrame || !e) return 0;
  CMainFrame* main = self->m_pMainFrame;
  if (e->Name() == "hscrl_Volume") {
    if (event == QEL_EV_SLIDER_CHANGE || event == QEL_EV_SLIDER_BEGIN || event == QEL_EV_SLIDER_TRACK)
      main->VolumebarChanged(1);
  } else {
    main->PlayProgressbarChanged(event, 1);
  }
  return 0;
}
