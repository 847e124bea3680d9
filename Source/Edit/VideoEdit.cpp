#include "VideoEdit.h"

#include "DibHelper.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "MediaTexts.h"
#include "ORVMovie.h"
#include "qel/QelElement.h"
#include "qel/QelElementLayers.h"
#include "qel/QelWideText.h"

CVideoEdit::CVideoEdit() = default;

CVideoEdit::~CVideoEdit() { UninitPreview(); }

int32_t CVideoEdit::Init(PubQelmar::QelPanel* movieArea, PubQelmar::QelPanel* toolBar,
                         PubQelmar::QelPanel* buttonBar, WindowRef window) {
  m_pMovieArea = movieArea;
  m_pToolBar = toolBar;
  m_pButtonBar = buttonBar;
  m_hWindow = window;
  return 1;
}

qel::Element* CVideoEdit::Find(const char* name) const {
  qel::Element* area = m_pMovieArea ? qel::Element::From(m_pMovieArea->Handle()) : nullptr;
  return area ? area->FindByName(name, true) : nullptr;
}

int32_t CVideoEdit::InitPreview(const WCHAR* path) {
  UninitPreview();
  if (!path || !*path) return 0;
  m_strPath = path;
  qel::Element* preview = Find("cata_Preview");
  CEditPanel* panel = vGetPanelHandle();
  // The album's thumbnail thread and the editor take turns at movie files.
  if (panel) panel->SetOpenningVideo(1);
  SIZE box = preview ? preview->LaidOutSize() : SIZE{640, 480};
  unsigned char* dib = DibGetFromVideoFile(path, std::max<int32_t>(box.cx, 64), std::max<int32_t>(box.cy, 48));
  int64_t seconds = 0;
  if (Movie movie = NewMovieFromUTF8Path(QelToUTF8(m_strPath).c_str())) {
    seconds = GetMovieDuration(movie) / GetMovieTimeScale(movie);
    DisposeMovie(movie);
  }
  if (panel) panel->SetOpenningVideo(0);
  if (qel::Element* duration = Find("view_Duration")) duration->SetText(vTimeToString(seconds));
  if (qel::Element* position = Find("view_Position")) position->SetText(vTimeToString(0));
  // Adjusting and saving movies come with the player.
  qel::Element* buttons = m_pButtonBar ? qel::Element::From(m_pButtonBar->Handle()) : nullptr;
  for (const char* name : {"butn_Reset", "butn_Saveas", "butn_Save"}) {
    if (qel::Element* button = buttons ? buttons->FindByName(name, true) : nullptr) button->Enable(false);
  }
  qel::Element* tools = m_pToolBar ? qel::Element::From(m_pToolBar->Handle()) : nullptr;
  for (const char* name : {"hscrl_1", "hscrl_2"}) {
    if (qel::Element* slider = tools ? tools->FindByName(name, true) : nullptr) slider->Enable(false);
  }
  if (!dib) return 0;
  if (preview) {
    const auto* h = reinterpret_cast<const tagBITMAPINFOHEADER*>(dib);
    const int32_t rows = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const int32_t stride = int32_t(DIBStride(h->biWidth, 24));
    const unsigned char* bits = dib + sizeof(tagBITMAPINFOHEADER);
    QelLayerPixels pixels{};
    pixels.cbSize = sizeof pixels;
    pixels.width = h->biWidth;
    pixels.height = rows;
    pixels.bitCount = 24;
    pixels.rowBytes = h->biHeight > 0 ? -stride : stride;
    pixels.bits = h->biHeight > 0 ? bits + size_t(stride) * size_t(rows - 1) : bits;
    if (qel::Element* frame = preview->FindByName("view_PreviewFrame", true)) {
      // Fitted into the preview area, centred, its proportions kept.
      const double scale = std::min(double(box.cx) / h->biWidth, double(box.cy) / rows);
      const SIZE fit{std::max<int32_t>(1, int32_t(h->biWidth * scale)), std::max<int32_t>(1, int32_t(rows * scale))};
      frame->SetMargin(SRect32{(box.cx - fit.cx) / 2, (box.cy - fit.cy) / 2, 0, 0});
      frame->SetFrameSize(fit);
      if (qel::ElementLayers* layers = frame->Layers(true)) layers->Layer()->SetPixels(pixels);
      frame->Show(true);
    }
  }
  DIBDelete(dib);
  return 1;
}

void CVideoEdit::UninitPreview() {
  m_strPath.clear();
  if (qel::Element* frame = Find("view_PreviewFrame")) {
    if (qel::ElementLayers* layers = frame->Layers(false)) layers->Layer()->Clear();
    frame->Show(false);
  }
}

int32_t CVideoEdit::OnBrightnessProc(int32_t, QELLPARAM) { return 0; }
int32_t CVideoEdit::OnContrastProc(int32_t, QELLPARAM) { return 0; }
int32_t CVideoEdit::OnResetProc(QELLPARAM) {
  m_bModified = 0;
  return 0;
}
int32_t CVideoEdit::OnSaveasProc(QELLPARAM) { return 0; }
int32_t CVideoEdit::OnDoneProc(QELLPARAM) {
  m_bLastSaveOK = m_bModified ? 0 : 1;
  return 0;
}
void CVideoEdit::RefreshVideo() {}
