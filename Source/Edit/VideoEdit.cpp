// The movie editor: the preview, play and pause, the time read-out, the trim
// bar, brightness and contrast, reset and snapshots. Saving is in
// VideoEditSave.cpp.
#include "VideoEdit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "AppHelper.h"
#include "DlgWarning.h"

#include "CPath.h"
#include "CaptureView.h"
#include "ConvertProgress.h"
#include "EditGlobals.h"
#include "EditTexts.h"
#include "EditPanel.h"
#include "ImgFunc.h"
#include "MediaTexts.h"
#include "MovieSource.h"
#include "ORVImageTools.h"
#include "PreviewPlayer.h"
#include "VideoSave.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

constexpr int32_t kSliderMin = -128, kSliderMax = 128;
constexpr const char* kMovieButtons[] = {"chck_Playpause", "butn_Back", "butn_Capture", "hscrl_PlayProgress"};

bool IsSliderEvent(int32_t event) {
  return event == QEL_EV_CLICK || event == 1006 || event == 1020 || event == 1021 || event == 1030;
}

}  // namespace

CVideoEdit::CVideoEdit()
    : m_pPower(std::make_unique<plat::PowerClient>([this](plat::PowerMessage message) {
        if (message == plat::PowerMessage::kSystemWillSleep && m_nPlayState == kPlaying) OnPlayPause();
        return plat::PowerAnswer::kAllow;
      })) {}

CVideoEdit::~CVideoEdit() {
  UninitPreview();
  InstallCallbacks(false);
  m_CropCtrl.ReleaseCallBacks();
  if (m_pPlayer) m_pPlayer->Release();
}

int32_t CVideoEdit::Init(PubQelmar::QelPanel* movieArea, PubQelmar::QelPanel* toolBar,
                         PubQelmar::QelPanel* buttonBar, WindowRef window) {
  m_pMovieArea = movieArea;
  m_pToolBar = toolBar;
  m_pButtonBar = buttonBar;
  m_hWindow = window;
  qel::Element* cut = Find("cata_playcut");
  m_CropCtrl.Init(window, cut ? reinterpret_cast<PubQelmar::QelPanel*>(cut->Handle()) : nullptr, this, 100,
                  CCropCtrl::kFollowPosition);
  if (qel::Element* bar = Find("hscrl_PlayProgress")) {
    bar->SetScrollRange(0, 100);
    bar->SetScrollPos(0);
  }
  m_bModified = 0;
  InstallCallbacks(true);
  if (!m_pPlayer) {
    m_pPlayer = new CPlay();
    m_pPlayer->AddRef();
  }
  return 1;
}

qel::Element* CVideoEdit::Find(const char* name) const {
  qel::Element* area = m_pMovieArea ? qel::Element::From(m_pMovieArea->Handle()) : nullptr;
  return area ? area->FindByName(name, true) : nullptr;
}

qel::Element* CVideoEdit::FindTool(const char* name) const {
  qel::Element* tools = m_pToolBar ? qel::Element::From(m_pToolBar->Handle()) : nullptr;
  return tools ? tools->FindByName(name, true) : nullptr;
}

qel::Element* CVideoEdit::FindButton(const char* name) const {
  qel::Element* buttons = m_pButtonBar ? qel::Element::From(m_pButtonBar->Handle()) : nullptr;
  return buttons ? buttons->FindByName(name, true) : nullptr;
}

void CVideoEdit::InstallCallbacks(bool on) {
  for (const char* name : kMovieButtons) {
    if (qel::Element* e = Find(name)) e->SetCallback(on ? &CVideoEdit::Element_Proc : nullptr, on ? this : nullptr);
  }
}

int32_t CVideoEdit::Element_Proc(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<CVideoEdit*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  const std::string& name = e->Name();
  if (name == "chck_Playpause" && event == QEL_EV_CLICK) self->OnPlayPause();
  else if (name == "butn_Back" && event == QEL_EV_CLICK) self->OnBack();
  else if (name == "butn_Capture" && event == QEL_EV_CLICK) self->OnSnapshot();
  else if (name == "hscrl_PlayProgress") {
    if (event == 1020) self->m_bSeeking = 1;
    else if (event == 1005 || event == 1030 || event == QEL_EV_CLICK || event == 1021) self->OnSeek(e->Scroll().pos);
  }
  return 0;
}

void CVideoEdit::YueFen(int32_t& width, int32_t& height) {
  if (width == 0 || height == 0) return;
  for (int32_t f : {2, 3, 5, 7}) {
    while (width % f == 0 && height % f == 0) {
      width /= f;
      height /= f;
    }
  }
}

void CVideoEdit::SetSlidersForMovie(bool movie) {
  const char* names[2] = {"hscrl_1", "hscrl_2"};
  for (int i = 0; i < 2; ++i) {
    qel::Element* s = FindTool(names[i]);
    if (!s) continue;
    if (movie) {
      if (!m_bSlidersForMovie) {
        const qel::ScrollState& st = s->Scroll();
        m_photoSliders[i] = SRect32{st.min, st.max, st.page, st.step};
      }
      s->SetScrollRange(kSliderMin, kSliderMax);
      s->SetScrollPage(0);
      s->SetScrollStep(8);
      s->SetScrollPos(0);
      s->Enable(true);
    } else if (m_bSlidersForMovie) {
      s->SetScrollRange(m_photoSliders[i].left, m_photoSliders[i].top);
      s->SetScrollPage(m_photoSliders[i].right);
      s->SetScrollStep(m_photoSliders[i].bottom);
      s->SetScrollPos(0);
    }
  }
  m_bSlidersForMovie = movie;
}

int32_t CVideoEdit::InitPreview(const WCHAR* path) {
  UninitPreview();
  if (!path || !*path || !m_pPlayer) return 0;
  m_nPlayState = kStopped;
  m_pPlayView = new CPlayView(this, Find("view_PreviewFrame"));
  auto* source = new CSource();
  source->AddRef();
  source->SetFilePath(path);
  source->Open();
  if (!source->GetMovie()) {
    source->Release();
    delete m_pPlayView;
    m_pPlayView = nullptr;
    return 0;
  }
  m_pSource = source;
  source->SetDisplayListener([this] {
    if (m_pPlayView) m_pPlayView->Draw();
  });
  m_strPath = path;
  m_nWidth = source->Width();
  m_nHeight = source->Height();
  m_nRatioW = m_nWidth;
  m_nRatioH = m_nHeight;
  YueFen(m_nRatioW, m_nRatioH);
  m_videoDesc = source->VideoDescription();
  m_pPlayer->SetSource(source);
  SetSlidersForMovie(true);
  m_fittedArea = SIZE{0, 0};
  FitPreview();
  int32_t current = 0, duration = 0, scale = 0;
  source->GetMovieTimeinfo(current, duration, scale);
  source->GetBound(&m_nInitStart, &m_nInitEnd);
  if (qel::Element* cut = Find("cata_playcut")) cut->LayoutNow();
  m_CropCtrl.SetData(duration, current, m_nInitStart, m_nInitEnd);
  for (const char* name : kMovieButtons) {
    if (qel::Element* e = Find(name)) e->Enable(true);
  }
  if (qel::Element* e = FindButton("butn_Saveas")) e->Enable(true);
  QelInstallTimer(this, kPlayTimerId, 0, 250, &CVideoEdit::PlayTimer_Proc, this);
  UpdatePlayPauseCtrl();
  UpdateResetButton();
  UpdateCurrentTime();
  return 1;
}

void CVideoEdit::UninitPreview() {
  delete m_pPlayView;
  m_pPlayView = nullptr;
  QelRemoveTimer(this, kPlayTimerId);
  if (m_pSource) {
    m_pSource->SetDisplayListener(nullptr);
    m_pSource->Close();
    m_pSource->Release();
    m_pSource = nullptr;
    if (m_pPlayer) m_pPlayer->SetSource(nullptr);
  }
  if (m_bSlidersForMovie) SetSlidersForMovie(false);
  m_strPath.clear();
}

void CVideoEdit::FitPreview() {
  qel::Element* area = Find("cata_Preview");
  if (!area || !m_pSource || m_nRatioW <= 0 || m_nRatioH <= 0) return;
  const SIZE box = area->LaidOutSize();
  if (box.cx <= 0 || box.cy <= 0) return;
  if (box.cx == m_fittedArea.cx && box.cy == m_fittedArea.cy) return;
  m_fittedArea = box;
  int32_t w = m_nWidth, h = m_nHeight, ox = 0, oy = 0;
  if (m_nWidth >= box.cx || m_nHeight >= box.cy) {
    const int32_t fitH = int32_t(std::ceil(float(box.cx) * float(m_nRatioH) / float(m_nRatioW)));
    if (box.cy > fitH) {
      w = box.cx;
      h = fitH;
      oy = (box.cy - fitH) / 2;
    } else {
      w = int32_t(float(box.cy) * float(m_nRatioW) / float(m_nRatioH));
      h = box.cy;
      ox = (box.cx - w) / 2;
    }
  } else {
    ox = (box.cx - m_nWidth) / 2;
    oy = (box.cy - m_nHeight) / 2;
  }
  Rect r;
  r.top = oy;
  r.left = ox;
  r.bottom = oy + h;
  r.right = ox + w;
  m_pSource->SetPreviewRect(r);
  if (m_pPlayView) m_pPlayView->AdjustPreviewRect(SRect32{r.left, r.top, r.right, r.bottom});
}

void CVideoEdit::PlayTimer_Proc(void* owner, uint32_t id, void*) {
  if (!owner || id != kPlayTimerId) return;
  auto* self = static_cast<CVideoEdit*>(owner);
  self->FitPreview();
  // A resized window: the trim bar's handles keep their times, not their widths.
  if (self->m_pSource && !self->m_bSaving && self->m_CropCtrl.RoomChanged()) {
    int32_t current = 0, duration = 0, scale = 0;
    self->m_pSource->GetMovieTimeinfo(current, duration, scale);
    self->UpdateVideoCrop(current);
  }
  self->UpdateCurrentTime();
}

void CVideoEdit::UpdateCurrentTime() {
  if (!m_pSource || !m_pMovieArea || m_bSaving) return;
  int32_t current = 0, duration = 0, scale = 0;
  if (!m_pSource->GetMovieTimeinfo(current, duration, scale) || duration < 1 || scale < 1) return;
  int32_t start = 0, end = 0;
  m_pSource->GetBound(&start, &end);
  // The play-head stops one unit before the trim end: the read-out shows
  // the frame boundaries there and at the start.
  int32_t shown = current;
  const int32_t step = FrameStep(m_videoDesc, scale);
  if (current + 1 == end) shown = SnapTrimEnd(end, step, m_pSource->GetDuration());
  else if (current == start) shown = SnapTrimStart(start, step);
  if (qel::Element* e = Find("view_Position")) e->SetText(vTimeToString(std::max(shown - start, 0) / scale));
  if (qel::Element* e = Find("view_Duration")) e->SetText(vTimeToString(std::max(end - start, 0) / scale));
  if (qel::Element* bar = Find("hscrl_PlayProgress"); bar && !m_bSeeking)
    bar->SetScrollPos(int32_t(int64_t(current) * 100 / duration));
  const bool playing = m_nPlayState == kPlaying && m_pSource->IsPlaying();
  if (playing && !m_bSeeking) UpdateVideoCrop(current);
  if ((current >= duration || current >= end) && current > 0 && playing) {
    m_pPlayer->Pause();
    m_pPlayer->BackToBeginning();
    UpdateVideoCrop(start);
    m_nPlayState = kStopped;
    UpdatePlayPauseCtrl();
    UpdateCurrentTime();  // the read-out of the trim start
  }
}

void CVideoEdit::UpdatePlayPauseCtrl() {
  qel::Element* check = Find("chck_Playpause");
  if (!check) return;
  const bool playing = m_nPlayState == kPlaying && m_pSource && m_pSource->IsPlaying();
  check->SetCheck(playing ? 1 : 0);
  check->SetTips(playing ? ResText(23, u"Pause") : ResText(22, u"Play"));
  // The layout gave the play icon's file; the pause icon lies beside it.
  if (m_playIcon.empty()) m_playIcon = check->ImagePath();
  std::string icon = m_playIcon;
  const size_t at = icon.rfind("media-playback-start");
  if (playing && at != std::string::npos) {
    std::string pause = icon;
    pause.replace(at, std::strlen("media-playback-start"), "media-playback-pause");
    std::error_code ec;
    if (std::filesystem::exists(pause, ec)) icon = pause;
  }
  check->SetImagePath(icon);
}

void CVideoEdit::UpdateResetButton() {
  int32_t start = m_nInitStart, end = m_nInitEnd;
  if (m_pSource) m_pSource->GetBound(&start, &end);
  qel::Element* b = FindTool("hscrl_1");
  qel::Element* c = FindTool("hscrl_2");
  m_bModified = ((b && b->Scroll().pos != 0) || (c && c->Scroll().pos != 0) || start != m_nInitStart ||
                 end != m_nInitEnd)
                    ? 1
                    : 0;
  for (const char* name : {"butn_Reset", "butn_Save"}) {
    if (qel::Element* e = FindButton(name)) e->Enable(m_bModified != 0);
  }
}

void CVideoEdit::UpdateVideoCrop(int32_t position) {
  int32_t start = 0, end = 0;
  if (m_pSource) m_pSource->GetBound(&start, &end);
  m_CropCtrl.SetData(m_pSource ? m_pSource->GetDuration() : 0, m_pSource ? std::max(position, start) : 0, start, end);
}

void CVideoEdit::OnPlayPause() {
  if (!m_pPlayer || !m_pSource) return;
  if (m_nPlayState == kPlaying) {
    m_pPlayer->Pause();
    m_nPlayState = kPaused;
  } else {
    m_pPlayer->Start();
    m_nPlayState = kPlaying;
  }
  UpdatePlayPauseCtrl();
}

void CVideoEdit::OnBack() {
  if (!m_pPlayer || !m_pSource) return;
  m_pPlayer->Pause();
  m_nPlayState = kPaused;
  m_pPlayer->BackToBeginning();
  int32_t start = 0;
  m_pSource->GetBound(&start, nullptr);
  UpdateVideoCrop(start);
  UpdatePlayPauseCtrl();
  UpdateCurrentTime();
}

void CVideoEdit::OnSeek(int32_t percent) {
  if (!m_pPlayer) return;
  m_bSeeking = 1;
  m_pPlayer->Seek(percent);
  m_bSeeking = 0;
  // The play timer moves the trim bar's play-head only while playing; a
  // seek while paused must move it too, or the two markers disagree.
  int32_t current = 0, duration = 0, scale = 0;
  if (m_pSource && m_pSource->GetMovieTimeinfo(current, duration, scale)) UpdateVideoCrop(current);
}

void CVideoEdit::ApplyEffect() {
  if (!m_pSource) return;
  qel::Element* b = FindTool("hscrl_1");
  qel::Element* c = FindTool("hscrl_2");
  m_pSource->SetEffect(b ? b->Scroll().pos : 0, c ? c->Scroll().pos : 0);
}

int32_t CVideoEdit::OnBrightnessProc(int32_t event, QELLPARAM) {
  if (!IsSliderEvent(event)) return 0;
  ApplyEffect();
  for (const char* name : {"hscrl_1", "hscrl_2"}) {
    qel::Element* s = FindTool(name);
    if (!s) continue;
    if (qel::Element* low = s->FindByName("polarul", true)) low->Enable(s->Scroll().pos > kSliderMin);
    if (qel::Element* high = s->FindByName("polardr", true)) high->Enable(s->Scroll().pos < kSliderMax);
  }
  UpdateResetButton();
  return 0;
}

int32_t CVideoEdit::OnContrastProc(int32_t event, QELLPARAM data) { return OnBrightnessProc(event, data); }

void CVideoEdit::CropPositionChanged(int32_t time, int32_t final) {
  m_bDragArmed = 0;
  if (m_pSource) m_pSource->SetPosition(time);
  if (final) m_bDragArmed = 1;
  UpdateCurrentTime();
}

// The first move of a handle pauses playing; the next drag arms it again.
void CVideoEdit::PauseForTrimDrag() {
  if (!m_bDragArmed) return;
  m_bDragArmed = 0;
  if (m_pPlayer) m_pPlayer->Pause();
  m_nPlayState = kPaused;
  UpdatePlayPauseCtrl();
}

void CVideoEdit::CropLeftChanged(int32_t time, int32_t final) {
  if (!m_pSource) return;
  PauseForTrimDrag();
  int32_t end = 0;
  m_pSource->GetBound(nullptr, &end);
  m_pSource->SetBound(time, end);
  if (final) {
    m_bDragArmed = 1;
    int32_t start = 0;
    m_pSource->GetBound(&start, nullptr);
    m_pSource->SetPosition(start);
    UpdateVideoCrop(start);
  }
  UpdatePlayPauseCtrl();
  UpdateResetButton();
  UpdateCurrentTime();
}

void CVideoEdit::CropRightChanged(int32_t time, int32_t final) {
  if (!m_pSource) return;
  PauseForTrimDrag();
  int32_t start = 0;
  m_pSource->GetBound(&start, nullptr);
  m_pSource->SetBound(start, time);
  if (final) {
    m_bDragArmed = 1;
    int32_t end = 0;
    m_pSource->GetBound(nullptr, &end);
    m_pSource->SetPosition(end);
    UpdateVideoCrop(end);
  }
  UpdateResetButton();
  UpdateCurrentTime();
}

bool CVideoEdit::AskIfFileGone() {
  if (CPath::IsFileExist(m_strPath.c_str())) return false;
  std::u16string text = vLoadResFormat(35, u"The file %s cannot be found.", m_strPath) + u"\n\n" +
                        ResText(37, u"Remove it from the album?");
  if (vMessageBox(m_hWindow, text.c_str(), nullptr, 1) == 0) {
    if (CEditPanel* panel = vGetPanelHandle()) {
      panel->SetReset();
      panel->RefreshforSave();
    }
  }
  return true;
}

int32_t CVideoEdit::OnResetProc(QELLPARAM) {
  if (!m_pSource || AskIfFileGone()) return 0;
  for (const char* name : {"hscrl_1", "hscrl_2"}) {
    if (qel::Element* s = FindTool(name)) s->SetScrollPos(0);
  }
  const int32_t duration = m_pSource->GetDuration();
  m_CropCtrl.SetData(duration, 0, 0, duration);
  m_pSource->SetBound(0, duration);
  if (m_pPlayer) {
    m_pPlayer->Pause();
    m_nPlayState = kPaused;
    m_pPlayer->BackToBeginning();
    UpdateVideoCrop(0);
  }
  m_pSource->SetEffect(0, 0);
  UpdatePlayPauseCtrl();
  UpdateResetButton();
  UpdateCurrentTime();
  return 0;
}

void CVideoEdit::OnSnapshot() {
  if (!m_pSource || !m_pSource->GetDisplayBuffer()) return;
  CEditPanel* panel = vGetPanelHandle();
  m_bSnapshot = 1;
  PubImage::QelPicture* picture = ORVGF::PixMapHandleToPict(m_pSource->GetDisplayBuffer());
  CQelStringW name;
  if (picture && panel && panel->GetSnapshotImageFileName(name)) {
    static constexpr int32_t kJpeg90[2] = {0, 90};
    tagOutputOption option{};
    option.nStructSize = int32_t(sizeof option);
    option.reserved2 = 1;
    option.options = kJpeg90;
    if (SaveImgFile(picture, name.c_str(), &option) == 0 && m_pView) {
      // The new photo goes to the head of the album: the movie stays the
      // current item (one further down where photos are listed too).
      const int32_t index = m_pView->GetCurrentThumbnail();
      m_pView->DoAlbumCall(CCaptureView::kAdd, 1, name.c_str(), nullptr);
      const int32_t album = m_pView->GetCurrentAlbumIndex();
      if (album == 0) m_pView->SetCurSelThumb(index + 1);
      else if (album == 2) m_pView->SetCurSelThumb(index);
    }
  }
  if (picture) picture->Release();
  m_bSnapshot = 0;
}
