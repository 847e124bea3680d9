// Saving the edited movie over its file or under a new name, with the
// progress dialog and cancel.
#include <sys/statvfs.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "AppHelper.h"

#include "ConvertProgress.h"
#include "DlgWarning.h"
#include "EditFiles.h"
#include "EditGlobals.h"
#include "EditTexts.h"
#include "EditPanel.h"
#include "ImgFunc.h"
#include "MovieSource.h"
#include "PreviewPlayer.h"
#include "VideoEdit.h"
#include "VideoSave.h"
#include "qel/QelElement.h"
#include "qel/QelFileChooser.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

// Enough room in the target's folder for a file of the movie's size (an
// unknown figure lets the save try).
bool CheckDiskEnough(const std::u16string& folder, uint64_t bytes) {
  struct statvfs st {};
  if (::statvfs(QelToUTF8(folder).c_str(), &st) != 0) return true;
  return vIsEnoughSpaceFor(uint64_t(st.f_bavail) * st.f_frsize, bytes) != 0;
}

constexpr uint32_t kSaveTimerId = 1300;

struct SaveRun {
  MovieSaveTask* task;
  CConvertProgress* progress;
};

void SaveTimer_Proc(void*, uint32_t id, void* data) {
  auto* run = static_cast<SaveRun*>(data);
  if (!run || id != kSaveTimerId) return;
  if (run->progress->IsCanceled()) run->task->Cancel();
  int32_t percent = 0;
  if (run->task->Poll(&percent) != kSaveRunning) run->progress->EndProgress();
  else run->progress->UpdateProgress(percent);
}

}  // namespace

int32_t CVideoEdit::OnDoneProc(QELLPARAM) {
  if (m_bSaving) return 0;
  m_bSaving = 1;
  m_bLastSaveOK = DoSave(nullptr);
  m_bSaving = 0;
  return 0;
}

int32_t CVideoEdit::OnSaveasProc(QELLPARAM) {
  if (!m_bSaving) DoSaveAs();
  return 0;
}

int32_t CVideoEdit::DoSaveAs() {
  if (!m_pSource || AskIfFileGone()) return 0;
  if (m_nPlayState == kPlaying && m_pPlayer) {
    m_pPlayer->Pause();
    m_nPlayState = kPaused;
    UpdatePlayPauseCtrl();
  }
  std::u16string folder, name, ext;
  SplitPath(m_strPath, &folder, &name, &ext);
  qel::FileChooserRequest request;
  request.action = qel::FileChooserRequest::kSave;
  request.parent = static_cast<CQelWindow*>(m_hWindow);
  request.folder = QelToUTF8(folder);
  request.name = name + (ext.empty() || ext[0] == u'.' ? u"" : u".") + ext;
  request.filters.push_back({u"QuickTime movie (*.mov)", {".mov"}});
  qel::FileChooserResult result = qel::RunFileChooser(request);
  if (!result.chosen || result.paths.empty()) return 0;
  std::string path = result.paths[0];
  if (!qel::NameHasExtension(path, {".mov"})) path += ".mov";
  const std::u16string chosen = QelFromUTF8(path);
  if (!vCheckCanSave(chosen.c_str())) {
    vMessageBox(m_hWindow, ResText(56, u"The movie cannot be saved there. Choose another folder.").c_str(), nullptr, 0);
    return 0;
  }
  m_bSaving = 1;
  const int32_t r = DoSave(chosen.c_str());
  m_bSaving = 0;
  return r;
}

int32_t CVideoEdit::DoSave(const WCHAR* target) {
  if (!m_pSource || AskIfFileGone()) return 0;
  const std::u16string moviePath = m_strPath;
  const std::u16string to = target ? std::u16string(target) : moviePath;
  const bool sameFile = SameFile(to, moviePath);
  std::u16string folder;
  SplitPath(to, &folder, nullptr, nullptr);
  int64_t size = 0;
  vGetFileSize(moviePath.c_str(), &size);
  if (!CheckDiskEnough(folder.empty() ? u"." : folder, uint64_t(std::max<int64_t>(size, 0)))) {
    vMessageBox(m_hWindow, ResText(55, u"There is not enough free disk space to save the movie.").c_str(), nullptr, 0);
    return 0;
  }
  if (m_nPlayState == kPlaying && m_pPlayer) {
    m_pPlayer->Pause();
    m_nPlayState = kPaused;
    UpdatePlayPauseCtrl();
  }
  auto* save = new CSource();
  save->AddRef();
  save->SetFilePath(moviePath.c_str());
  MovieSaveResult result = kSaveFailed;
  if (save->Open() == 1) {
    int32_t start = 0, end = 0;
    m_pSource->GetBound(&start, &end);
    save->SetBound(start, end);
    AdjustBothCrop(save);
    qel::Element* b = FindTool("hscrl_1");
    qel::Element* c = FindTool("hscrl_2");
    save->SetEffect(b ? b->Scroll().pos : 0, c ? c->Scroll().pos : 0);
    // The dialog is modal while the exporter's threads encode; a 100 ms
    // timer follows them and ends the dialog when they are done.
    auto* progress = new CConvertProgress(m_hWindow, 0);
    if (!progress->Create(u"ConvertProgress.aui", nullptr, m_hWindow)) {
      delete progress;
      progress = nullptr;
    }
    m_bCanceled = 0;
    MovieSaveTask task;
    if (task.Start(save, to)) {
      if (progress) {
        progress->ShowProgress(to.c_str());
        SaveRun run{&task, progress};
        QelInstallTimer(&run, kSaveTimerId, 100, 100, &SaveTimer_Proc, &run);
        progress->DoModal();
        QelRemoveTimer(&run, kSaveTimerId);
        // Closed by its window frame: that is a cancel too.
        task.Cancel();
      }
      while ((result = task.Poll(nullptr)) == kSaveRunning) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    delete progress;
    m_bCanceled = result == kSaveCancelled;
  }
  save->Close();
  save->Release();
  if (result == kSaveDone) {
    vMessageBox2(m_hWindow, ResText(16, u"The movie was saved.").c_str(), nullptr, 0);
    if (sameFile) m_bModified = 0;
    if (CEditPanel* panel = vGetPanelHandle()) panel->RefreshforSave();
    return 1;
  }
  if (result == kSaveFailed)
    vMessageBox(m_hWindow, ResText(17, u"The movie could not be saved.").c_str(), nullptr, 0);
  return 0;
}
