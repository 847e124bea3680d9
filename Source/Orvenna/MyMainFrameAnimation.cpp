// The main window's animations: the launch switch from the home page to the
// module (ends with 2366), the icon slide into the title bar (ends with
// 2364), and the strip of module tabs sliding in and out of the title bar.
// A module launched with the animation is told it is shown at each end.
#include "MacMSG.h"
#include "MyMainFrame.h"
#include "MyQelApp.h"
#include "qel/QelAnimation.h"
#include "qel/QelCore.h"
#include "qel/QelLayout.h"

namespace {

qel::Element* ElementOf(QelObject handle) { return handle ? qel::Element::From(handle) : nullptr; }

qel::Animation* AnimationOf(QelObject handle) {
  qel::Object* o = qel::Object::FromHandle(handle);
  if (!o || (o->Kind() != QEL_KIND_ANIMATION && o->Kind() != QEL_KIND_FADE)) return nullptr;
  return static_cast<qel::Animation*>(o);
}

QelObject NewAnimation(uint32_t kind, const char* name, double rate, int32_t steps) {
  QelObject handle = Qel0CreateObj(kind);
  if (qel::Animation* a = AnimationOf(handle)) {
    a->SetName(name);
    a->SetRate(rate);
    a->SetSteps(steps);
  }
  return handle;
}

void ReleaseHandle(QelObject& handle) {
  if (handle) Qel0Release(handle);
  handle = nullptr;
}

// The first tab of "cata_Btn" other than the home button, or the strip.
qel::Element* SlideGoalElement(qel::Element* catalog) {
  qel::Element* tabs = catalog ? catalog->FindByName("cata_Btn", true) : nullptr;
  if (!tabs) return nullptr;
  for (qel::Element* e : tabs->Children()) {
    if (!qel::NamesEqual(e->Name(), "butn_home")) return e;
  }
  return tabs;
}

}  // namespace

void CMyMainFrame::CreateAnimations() {
  ReleaseAnimations();
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* main = ElementOf(m_hMain);
  qel::Element* slideArea = catalog ? catalog->FindByName("cata_animation", true) : nullptr;
  if (!catalog || !main) return;

  // The launch switch runs the fade effect: the home page fades out and the
  // module in, from 0 to 1.0 at half a second.
  m_hFadeEffect = NewAnimation(QEL_KIND_FADE, "FadeSwitchEffect", 0.5, 30);
  m_hLaunchSwitch = NewAnimation(QEL_KIND_ANIMATION, "ModuleLaunchSwitch", 0.5, 30);
  qel::Animation* fade = AnimationOf(m_hFadeEffect);
  qel::Animation* launch = AnimationOf(m_hLaunchSwitch);
  if (fade && launch) {
    fade->SetKeyFrame(0, 0.0, 0.0);
    fade->SetKeyFrame(1, 0.5, 1.0);
    launch->SetEffect(fade);
    launch->SetEndNotify(main, QEL_EV_ANIM_SWITCH_END);
    main->SetCallback(&CMyMainFrame::OnAnimationEnd, this);
  }
  if (slideArea) {
    slideArea->Retain();
    m_hAnimationCata = slideArea->Handle();
    m_hIconSlide = NewAnimation(QEL_KIND_ANIMATION, "IconSlide", 0.5, 30);
    if (qel::Animation* slide = AnimationOf(m_hIconSlide)) {
      slide->SetTarget(0, slideArea);
      slide->SetEndNotify(slideArea, QEL_EV_ANIM_SLIDE_END);
      slideArea->SetCallback(&CMyMainFrame::OnAnimationEnd, this);
    }
  }
  if (qel::Element* title = ElementOf(m_hTitle)) {
    if (qel::Element* show = title->FindByName("cata_show", true)) {
      m_hBtnProcess = NewAnimation(QEL_KIND_ANIMATION, "BtnProcess", 0.1, 30);
      if (qel::Animation* strip = AnimationOf(m_hBtnProcess)) strip->SetTarget(0, show);
    }
  }
}

void CMyMainFrame::ReleaseAnimations() {
  CancelLaunchAnimation();
  if (qel::Animation* a = AnimationOf(m_hBtnProcess)) a->Stop();
  if (qel::Element* main = ElementOf(m_hMain)) {
    if (main->Callback() == &CMyMainFrame::OnAnimationEnd) main->SetCallback(nullptr, nullptr);
  }
  if (qel::Element* area = ElementOf(m_hAnimationCata)) {
    if (area->Callback() == &CMyMainFrame::OnAnimationEnd) area->SetCallback(nullptr, nullptr);
  }
  ReleaseHandle(m_hLaunchSwitch);
  ReleaseHandle(m_hFadeEffect);
  ReleaseHandle(m_hIconSlide);
  ReleaseHandle(m_hBtnProcess);
  ReleaseHandle(m_hAnimationCata);
}

ORVRESULT CMyMainFrame::StartModuleLaunchAnimation(uint32_t libID) {
  qel::Animation* launch = AnimationOf(m_hLaunchSwitch);
  qel::Animation* fade = AnimationOf(m_hFadeEffect);
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* module = catalog ? catalog->FindByName("cata_module", true) : nullptr;
  if (!launch || !fade || !module) {
    // Without the animation nothing would end the launch.
    EndCommandLaunch();
    return 0;
  }
  fade->SetTarget(0, ElementOf(m_hHomePage));
  fade->SetTarget(1, module);
  launch->Start();
  StartIconSlide(libID);
  return 0;
}

void CMyMainFrame::SetIconSlideStart(POINT iconPosition) {
  qel::Element* area = ElementOf(m_hAnimationCata);
  if (!area) return;
  POINT origin = area->Parent() ? area->Parent()->Position() : POINT{0, 0};
  SRect32 margin = area->Margin();
  margin.left = static_cast<int32_t>(iconPosition.x - origin.x - 7 * g_dRatio);
  margin.top = static_cast<int32_t>(iconPosition.y - origin.y - 10 * g_dRatio);
  area->SetMargin(margin);
}

void CMyMainFrame::StartIconSlide(uint32_t libID) {
  qel::Animation* slide = AnimationOf(m_hIconSlide);
  qel::Element* area = ElementOf(m_hAnimationCata);
  qel::Element* catalog = ElementOf(m_hCatalog);
  if (!slide || !area || !catalog || !m_pModuleMgr) return;

  CQelStringW name = m_pModuleMgr->GetModuleNameByLibID(libID);
  std::u16string compact;
  for (const WCHAR* c = name.c_str(); *c; ++c) {
    if (*c != u' ') compact.push_back(*c);
  }
  CQelStringW path = m_pModuleMgr->GetModuleRelatiFolderByLibID(libID) + u"UI\\Animation" + compact.c_str() + u".aui";
  ReleaseHandle(m_hSlideElement);
  ReleaseHandle(m_hSlideLayout);
  m_hSlideLayout = QelCreateLayoutW(path.c_str());
  qel::Element* layout = ElementOf(m_hSlideLayout);
  qel::Element* active = layout ? layout->FindByName("cata_Active", true) : nullptr;
  if (active) {
    active->Retain();
    m_hSlideElement = active->Handle();
    // The slide starts at the icon's size and shrinks to the tab's.
    area->SetFrameSize(active->FrameSize());
    SRect32 zero{0, 0, 0, 0};
    active->SetMargin(zero);
    active->SetWidthMethod(qel::kSizeFill);
    active->SetHeightMethod(qel::kSizeFill);
    active->PutInside(area, nullptr);
  }
  area->Show(true);

  POINT origin = area->Parent() ? area->Parent()->Position() : POINT{0, 0};
  SRect32 goal = area->Margin();
  if (qel::Element* home = catalog->FindByName("butn_home", true)) {
    SRect32 b = home->Bounds();
    goal.left = static_cast<int32_t>(b.right + 8 * g_dRatio - 7 * g_dRatio) - origin.x;
    goal.top = static_cast<int32_t>(b.top - 10 * g_dRatio) - origin.y;
  }
  SIZE size = area->FrameSize();
  if (qel::Element* target = SlideGoalElement(catalog)) size = target->LaidOutSize();
  slide->SetGoal(goal, size);
  slide->Start();
}

void CMyMainFrame::CancelLaunchAnimation() {
  // A launch that is left before its animation ends must not tell the next
  // module that it was shown.
  if (qel::Animation* launch = AnimationOf(m_hLaunchSwitch)) {
    if (launch->Running()) {
      launch->Stop();
      if (qel::Element* home = ElementOf(m_hHomePage)) home->SetOpacity(1.0);
    }
  }
  if (qel::Animation* slide = AnimationOf(m_hIconSlide)) slide->Stop();
  if (qel::Element* module = ElementOf(m_hCatalog) ? ElementOf(m_hCatalog)->FindByName("cata_module", true) : nullptr)
    module->SetOpacity(1.0);
  DropSlideElement();
}

void CMyMainFrame::DropSlideElement() {
  if (qel::Element* active = ElementOf(m_hSlideElement)) {
    if (active->Parent()) active->PutInside(nullptr, nullptr);
  }
  ReleaseHandle(m_hSlideElement);
  ReleaseHandle(m_hSlideLayout);
  if (qel::Element* area = ElementOf(m_hAnimationCata)) area->Show(false);
}

void CMyMainFrame::EndLaunchSwitch() {
  // The module is in front now: the home page leaves its panel (the manager
  // keeps it for the way back).
  if (qel::Element* home = ElementOf(m_hHomePage)) {
    if (home->Parent()) home->PutInside(nullptr, nullptr);
  }
  PostMessage(ORV_MSG_MODULE_SHOWN, 0, 0);
}

void CMyMainFrame::EndIconSlide() {
  DropSlideElement();
  RefreshButtons(m_nShownLibID, 1, 0);
  PostMessage(ORV_MSG_MODULE_SHOWN, 0, 0);
  EndCommandLaunch();
}

int32_t CMyMainFrame::OnAnimationEnd(QelObject, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CMyMainFrame*>(data);
  if (!self) return -1;
  if (event == QEL_EV_ANIM_SWITCH_END) self->EndLaunchSwitch();
  else if (event == QEL_EV_ANIM_SLIDE_END) self->EndIconSlide();
  return 0;
}

void CMyMainFrame::StartBtnProcessAnimation(int32_t show) {
  show = show ? 1 : 0;
  if (show == m_nBtnProcessState) return;
  m_nBtnProcessState = show;
  qel::Animation* strip = AnimationOf(m_hBtnProcess);
  qel::Element* title = ElementOf(m_hTitle);
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* stripArea = title ? title->FindByName("cata_show", true) : nullptr;
  qel::Element* process = catalog ? catalog->FindByName("cata_process", true) : nullptr;
  if (!strip || !stripArea || !process) return;
  Qel0SetGValue(2, reinterpret_cast<intptr_t>(m_hCatalog));
  strip->Stop();

  SRect32 margin = stripArea->Margin();
  SIZE size = stripArea->FrameSize();
  int32_t processWidth = process->FrameSize().cx;
  if (show) {
    margin.left = 0;
    size.cx = processWidth;
    // Never over the module's own toolbar.
    qel::Element* toolbar = catalog->FindByName("capture", true);
    if (!toolbar) toolbar = catalog->FindByName("EditVideo", true);
    if (toolbar && toolbar->EffectivelyVisible() && toolbar->Position().x != 0) {
      int32_t left = stripArea->Position().x;
      SRect32 bar = toolbar->Bounds();
      if (left + size.cx > bar.left) size.cx = bar.left + (bar.right - bar.left) - left;
    }
  } else {
    margin.left = -static_cast<int32_t>(processWidth + 8 * g_dRatio);
    size.cx = 0;
  }
  // The strip's panel clips it: it slides in and out of sight.
  strip->SetGoal(margin, size);
  strip->Start();
}

void CMyMainFrame::HideProcessStrip() {
  qel::Element* title = ElementOf(m_hTitle);
  qel::Element* catalog = ElementOf(m_hCatalog);
  qel::Element* stripArea = title ? title->FindByName("cata_show", true) : nullptr;
  qel::Element* process = catalog ? catalog->FindByName("cata_process", true) : nullptr;
  if (!stripArea || !process) return;
  if (qel::Animation* strip = AnimationOf(m_hBtnProcess)) strip->Stop();
  SRect32 margin = stripArea->Margin();
  margin.left = -static_cast<int32_t>(process->FrameSize().cx + 8 * g_dRatio);
  stripArea->SetMargin(margin);
  m_nBtnProcessState = 0;
}
