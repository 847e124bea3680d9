// The button bar of the photo editor: Reset goes back to the file as it is
// stored, Save writes the edited photo over its file, Save As writes it to
// a file chosen in the save dialog. Every write is whole or absent: a
// temporary file beside the target is renamed over it, so a failed or
// interrupted save leaves the file that was there.
#include <filesystem>
#include <system_error>

#include "AppHelper.h"
#include "CPath.h"
#include "DlgWarning.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditTexts.h"
#include "EditPanel.h"
#include "ImgFunc.h"
#include "Page.h"
#include "PhotoEdit.h"
#include "qel/QelWideText.h"

namespace {

// {0, quality}: JPEG at quality 90.
constexpr int32_t kJpegOptions[2] = {0, 90};

bool IsJpegExtension(const std::u16string& ext) {
  std::u16string e = ext;
  for (char16_t& c : e) {
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  }
  return e == u".jpg" || e == u"jpg" || e == u".jpeg" || e == u"jpeg";
}

tagOutputOption PlainOption() {
  tagOutputOption o{};
  o.nStructSize = int32_t(sizeof o);
  o.reserved2 = 1;  // the record's third word
  return o;
}

}  // namespace

// The current file has gone: the user may drop it from the album. True
// when it has gone (and nothing is to be done with it).
bool CPhotoEdit::AskIfFileGone() {
  if (CPath::IsFileExist(m_strFile.c_str())) return false;
  std::u16string text = vLoadResFormat(35, u"The file %s cannot be found.", m_strFile) + u"\n\n" +
                        ResText(37, u"Remove it from the album?");
  if (vMessageBox(m_hMainWnd, text.c_str(), nullptr, 1) == 0) {
    if (CEditPanel* panel = vGetPanelHandle()) {
      panel->SetReset();
      panel->RefreshforSave();
    }
  }
  return true;
}

int32_t CPhotoEdit::OnResetProc(QELLPARAM) {
  if (AskIfFileGone() || !m_pPage) return 0;
  if (s_pBkActionMan) s_pBkActionMan->ClearActionData();
  m_bFitMode = 1;
  m_pPage->ReloadPicture();
  m_pPage->RestroePicture();
  AdjustImageView(0);
  SetZoom(m_Zoom.num, m_Zoom.den);
  Invalidate();
  PrepareOp();
  UpdateAllUI();
  BringWindowForward();
  return 0;
}

int32_t CPhotoEdit::OnDoneProc(QELLPARAM) {
  if (!AskIfFileGone()) DoSave();
  return 0;
}

int32_t CPhotoEdit::OnSaveasProc(QELLPARAM) {
  if (!AskIfFileGone()) AskSaveChange();
  return 0;
}

int32_t CPhotoEdit::DoSave() {
  if (!m_pPage || m_strFile.empty()) return 0;
  PubImage::QelPicture* picture = m_pPage->GetResultPict();
  if (!picture) return 0;
  tagOutputOption option = PlainOption();
  std::u16string ext;
  SplitPath(m_strFile, nullptr, nullptr, &ext);
  if (IsJpegExtension(ext)) option.options = kJpegOptions;
  const int32_t r = SaveImgFile(picture, m_strFile.c_str(), &option);
  picture->Release();
  if (r != 0) return 0;
  m_bModified = 0;
  if (CEditPanel* panel = vGetPanelHandle()) panel->RefreshforSave();
  return 1;
}

int32_t CPhotoEdit::AskSaveChange() {
  if (!m_pPage) return 0;
  std::u16string folder, name, ext;
  SplitPath(m_strFile, &folder, &name, &ext);
  std::vector<WCHAR> buffer(1024, 0);
  if (name.size() >= buffer.size()) name.resize(buffer.size() - 1);
  std::copy(name.begin(), name.end(), buffer.begin());
  PubImage::QelPicture* picture = m_pPage->GetResultPict();
  if (!picture) return 0;
  tagOutputOption option = PlainOption();
  if (!GetOpenSaveFileName(m_hMainWnd, 0, buffer.data(), int32_t(buffer.size()), 0, ext.c_str(), folder.c_str(),
                           0x00000000FFFFFFFFull, &option, picture)) {
    picture->Release();
    return 0;
  }
  const std::u16string chosen(buffer.data());
  if (!vCheckCanSave(chosen.c_str())) {
    picture->Release();
    vMessageBox(m_hMainWnd, ResText(56, u"The photo cannot be saved there. Choose another folder.").c_str(), nullptr, 0);
    return 0;
  }
  const int32_t r = SaveImgFile(picture, chosen.c_str(), &option);
  picture->Release();
  if (r != 0) {
    vMessageBox(m_hMainWnd, ResText(47, u"The photo could not be saved.").c_str(), nullptr, 0);
  }
  if (CEditPanel* panel = vGetPanelHandle()) {
    if (r == 0 && panel->GetReset() && SameFile(chosen, m_strFile)) panel->SetReset();
    panel->RefreshforSave();
  }
  return 0;
}
