// Which editor shows the album's current file, and the question that comes
// before unsaved edits are replaced.
#include <cstdio>

#include "AppHelper.h"
#include "CaptureView.h"
#include "CPath.h"
#include "DlgWarning.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditPanel.h"
#include "ORVTrace.h"
#include "PhotoEdit.h"
#include "VideoEdit.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace {

qel::Element* ElementOf(PubQelmar::QelElement* e) { return e ? qel::Element::From(e->Handle()) : nullptr; }

void ShowPanel(PubQelmar::QelPanel* panel, bool show) {
  if (qel::Element* e = ElementOf(panel)) e->Show(show);
}

}  // namespace

std::u16string CEditPanel::ResString(uint32_t id) const { return std::u16string(vLoadResString(id).c_str()); }

void CEditPanel::ShowElement(PubQelmar::QelPanel* panel, const char* name, bool show) {
  qel::Element* e = ElementOf(panel);
  if (qel::Element* found = e ? e->FindByName(name, true) : nullptr) found->Show(show);
}

int32_t CEditPanel::GetReset() {
  if (m_nMode == kModePhoto && m_pPhotoEdit) return m_pPhotoEdit->GetReset();
  if (m_nMode == kModeMovie && m_pVideoEdit) return m_pVideoEdit->GetReset();
  return 0;
}

void CEditPanel::SetReset() {
  if (m_nMode == kModePhoto && m_pPhotoEdit) m_pPhotoEdit->SetReset();
  else if (m_nMode == kModeMovie && m_pVideoEdit) m_pVideoEdit->SetReset();
}

int32_t CEditPanel::IsSaving() { return m_pVideoEdit ? m_pVideoEdit->IsSaving() : 0; }

int32_t CEditPanel::IsSnapshot() { return m_pVideoEdit ? m_pVideoEdit->IsSnapshot() : 0; }

void CEditPanel::HideEditors() {
  ShowPanel(m_pPhotoView, false);
  ShowPanel(m_pMovieArea, false);
  ShowPanel(m_pToolBar, false);
  ShowPanel(m_pButtonBar, false);
}

void CEditPanel::DoUpdatePreview() {
  if (!m_bShown || m_bRefreshing || !m_pCaptureView) return;
  if (m_pCaptureView->GetThumbCount() == 0) {
    HideEditors();
    if (m_pVideoEdit) m_pVideoEdit->UninitPreview();
    m_nMode = kModeNone;
    m_strCurFile.clear();
    return;
  }
  const int32_t index = m_pCaptureView->GetCurrentThumbnail();
  const std::u16string path = index >= 0 ? m_pCaptureView->GetThumbnailPath(index) : std::u16string();
  // Choosing the file already shown does not reload it, unless the album was
  // switched or a save has just refreshed it.
  if (!m_bSaveRefresh && !m_bAlbumSwitched && path == m_strCurFile) return;
  m_bAlbumSwitched = 0;
  m_strCurFile = path;
  if (index < 0 || index >= m_pCaptureView->GetThumbCount()) return;
  if (!CPath::IsFileExist(path.c_str())) {
    PostMessage(m_hMainWnd, kMsgFileGone, 0, 0);
    return;
  }
  // Edits still open stay on screen.
  if (GetReset() || (m_nMode == kModeMovie && IsSnapshot())) return;

  qel::Element* page = ElementOf(m_pEditPanel);
  if (qel::Element* control = page ? page->FindByName("imgc", true) : nullptr) control->Show(false);
  HideEditors();
  for (const char* name : {"butn_AutoEnhance", "vcata", "cata_sharpen"}) ShowElement(m_pToolBar, name, false);

  int type = 0;
  if (!vIsSupportFile(path.c_str(), &type)) {
    m_nMode = kModeNone;
    return;
  }
  m_nMode = type;
  OrvTrace(std::string("edit show ") + (m_nMode == kModePhoto ? "photo " : "movie ") +
           QelToUTF8(path.substr(path.find_last_of(u'/') + 1)));
  if (m_pPhotoEdit) m_pPhotoEdit->CanCelCrop();
  if (m_nMode == kModePhoto) {
    if (m_pVideoEdit) m_pVideoEdit->UninitPreview();
    if (m_pPhotoEdit) m_pPhotoEdit->PreviewImageFile(path.c_str());
    ShowPanel(m_pPhotoView, true);
    ShowPanel(m_pButtonBar, true);
    ShowPanel(m_pToolBar, true);
    for (const char* name : {"butn_AutoEnhance", "vcata", "cata_sharpen"}) ShowElement(m_pToolBar, name, true);
  } else {
    ShowPanel(m_pMovieArea, true);
    ShowPanel(m_pButtonBar, true);
    ShowPanel(m_pToolBar, true);
    if (m_pVideoEdit) {
      m_pVideoEdit->UninitPreview();
      m_pVideoEdit->InitPreview(path.c_str());
    }
  }
}

int32_t CEditPanel::WarningSave() {
  const bool photo = m_nMode == kModePhoto && m_pPhotoEdit && m_pPhotoEdit->GetReset();
  const bool movie = m_nMode == kModeMovie && m_pVideoEdit && m_pVideoEdit->GetReset();
  if (!photo && !movie) return 2;
  std::u16string prompt = vLoadResFormat(48, u"Do you want to save the changes to %s?", m_strCurFile) + u"\n\n";
  switch (vMessageBox3(m_hMainWnd, prompt.c_str(), u"", kWarnYesNoCancel)) {
    case 0: {
      if (photo) {
        m_pPhotoEdit->OnDoneProc(0);
        // The editor keeps its edits when the file could not be written.
        if (m_pPhotoEdit->GetReset()) {
          vMessageBox(m_hMainWnd, ResString(47).c_str(), u"", kWarnOK);
          return 0;
        }
      } else {
        m_pVideoEdit->OnDoneProc(0);
        // A failure was told by the editor; a cancel needs no word.
        if (!m_pVideoEdit->LastSaveSucceeded()) return 0;
        m_pVideoEdit->SetReset();
      }
      return 1;
    }
    case 1:
      SetReset();
      return 2;
    default:
      return 0;
  }
}

void CEditPanel::RefreshforSave() {
  std::u16string remembered;
  if (!IsSnapshot()) remembered = m_strCurFile;
  if (GetReset() && !CPath::IsFileExist(m_strCurFile.c_str())) SetReset();
  m_bRefreshing = 1;
  DoAlbumCall(5, 0);
  m_bRefreshing = 0;
  if (GetReset() && !remembered.empty() && m_pCaptureView) {
    m_pCaptureView->SetCurSelThumb(m_pCaptureView->GetThumbnailIndexByName(remembered.c_str()));
  }
  m_bSaveRefresh = 1;
  DoUpdatePreview();
  m_bSaveRefresh = 0;
}
