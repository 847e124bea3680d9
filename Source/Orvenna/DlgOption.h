#pragma once
// The Options dialog: the main window's background (none, the program's
// picture, or a picture of the user's) and the media folder in which the
// modules keep photos and movies. OK stores the choices in the preferences;
// Cancel stores nothing.
#include <cstdint>

#include "CQelStringW.h"
#include "DlgBase.h"
#include "MediaFolderCheck.h"

class CDlgOption : public Orvenna::CDlgBase {
 public:
  static constexpr int32_t kPathUnits = 2048;
  static constexpr uint32_t kRefusedFolderString = 27;

  CDlgOption();
  ~CDlgOption() override;

  void RegisterCallBacks() override;
  int32_t DidCreate() override;
  int32_t AskForClose() override { return 1; }
  void WillClose() override;
  void DidClose() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  // OK: the settings are stored, then the dialog ends with 0.
  void OnQelOK() override { OnOK(); }
  void OnOK();

  void Init();
  void InitBKTab();
  void InitMFTab();
  void SaveOptionSettings();
  // The folder chooser and its checks: 1 with the chosen folder (ending in
  // "/") in `folder`; 0 when nothing was chosen or the folder was refused
  // (the user is told why).
  int32_t SelectMediaFolder(CQelStringW& folder);

  const CQelStringW& PicturePath() const { return m_strPicture; }
  const CQelStringW& MediaFolderPath() const { return m_strMediaFolder; }

 private:
  static int32_t OnBrowse(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnBrowseFolder(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnRadioGroup(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnTab(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnCancelButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  static int32_t OnOKButton(QelObject element, int32_t event, QELLPARAM param, void* data);
  // Shows the page of the checked tab.
  void ShowTabPage(const char* tab);
  void EnablePictureRow(bool on);
  void TellFolderRefused(MediaFolderVerdict why);
  qel::Element* Find(const char* name);

  CQelStringW m_strPicture;
  CQelStringW m_strMediaFolder;
};
