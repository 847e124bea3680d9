#include "DlgProperty.h"

#include "DlgLayoutHelpers.h"

namespace {

// The text into the element (when the layout has it), and as its tool tip
// when asked: a long path is then readable whole.
void Put(qel::Element* root, const char* name, const std::u16string& text, bool tip) {
  qel::Element* e = dlg::Find(root, name);
  if (!e) return;
  e->SetText(text);
  if (tip) e->SetTips(text);
}

}  // namespace

CDlgImageProperty::CDlgImageProperty(const tagIMAGE_PROPERTY& property, WindowRef) : m_property(property) {}

int32_t CDlgImageProperty::DidCreate() {
  CDlgBase::DidCreate();
  SetDefaultCallBackName("butn_Close", QEL_FRAME_CLOSE);
  Fill();
  return QEL_S_OK;
}

void CDlgImageProperty::InitAfterDlgShow() { Fill(); }

void CDlgImageProperty::Fill() {
  qel::Element* root = Root();
  Put(root, "edit_filename", m_property.fileName, true);
  Put(root, "edit_filepath", m_property.filePath, true);
  Put(root, "edit_filesize", m_property.fileSize, false);
  Put(root, "edit_filetime", m_property.fileTime, true);
  Put(root, "edit_fileformat", m_property.fileFormat, false);
}

CDlgVideoProperty::CDlgVideoProperty(const tagVIDEO_PROPERTY& property, WindowRef) : m_property(property) {}

int32_t CDlgVideoProperty::DidCreate() {
  CDlgBase::DidCreate();
  SetDefaultCallBackName("butn_Close", QEL_FRAME_CLOSE);
  Fill();
  return QEL_S_OK;
}

void CDlgVideoProperty::InitAfterDlgShow() { Fill(); }

void CDlgVideoProperty::Fill() {
  qel::Element* root = Root();
  Put(root, "edit_filename", m_property.fileName, true);
  Put(root, "edit_filepath", m_property.filePath, true);
  Put(root, "edit_filesize", m_property.fileSize, false);
  Put(root, "edit_filetime", m_property.fileTime, true);
  Put(root, "edit_mediaduration", m_property.mediaDuration, false);
  Put(root, "edit_audioformat", m_property.audioFormat, false);
  Put(root, "edit_videoformat", m_property.videoFormat, false);
}
