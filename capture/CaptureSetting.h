#pragma once
// The capture settings dialog: camera and sound inputs, photo format and
// quality, movie quality, the file-name prefix and the time stamp. It reads
// and writes the plug-in's preferences; OK stores them and answers 0. One
// dialog at a time.
#include <cstdint>
#include <string>
#include <vector>

#include "CDlgBase.h"

class CCaptureSetting : public CDlgBase {
 public:
  CCaptureSetting();
  ~CCaptureSetting() override;
  // The open dialog, or null.
  static CCaptureSetting* GetInstance();

  void RegisterCallBacks() override;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override;
  int32_t DidCreate() override;
  // Return: the same as the OK button.
  void OnQelOK() override { OnOK(); }
  // Stores the choices and ends the dialog with 0; a prefix that would lead
  // file names out of the capture folder is refused with a message and the
  // dialog stays open.
  virtual void OnOK();

  // The snapped position of a quality slider moved from `previous` to
  // `current` (0, 50 or 100); `previous` itself when it is none of those.
  static int32_t SnapQuality(int32_t previous, int32_t current);

 private:
  static int32_t OnEvent(QelObject element, int32_t event, QELLPARAM param, void* data);
  void OnElement(qel::Element* e, int32_t event);
  void FillInputs();
  void FillCombo(const char* name, const std::vector<std::u16string>& names, std::u16string& remembered,
                 const std::u16string& active);
  void Refresh();
  void UpdatePhotoGroup();
  void UpdateMovieGroup();
  void SetQualityLabel(const char* label, int32_t quality);
  std::u16string ChosenText(const char* combo) const;

  std::vector<std::u16string> m_videoInputs, m_soundInputs;
  std::u16string m_lastVideo, m_lastSound;
  int32_t m_nPhotoQuality = 50;
  int32_t m_nMovieQuality = 50;
};
