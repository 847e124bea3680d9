#include "VideoSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "CORVExport.h"
#include "MovCodecTable.h"
#include "MovieSource.h"
#include "media/Movie.h"
#include "qel/QelWideText.h"

namespace {

constexpr uint32_t kSowt = 0x736F7774;  // 'sowt'

void CopyWide(const std::u16string& s, WCHAR* out, size_t capacity) {
  size_t n = std::min(s.size(), capacity - 1);
  std::copy(s.begin(), s.begin() + ptrdiff_t(n), out);
  out[n] = 0;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A movie that opens and has pictures: the writer finished its index.
bool IsCompleteMovie(const std::string& path) {
  media::Movie m;
  return m.Open(path) == 0 && m.HasVideo() && m.Duration() > 0;
}

}  // namespace

int32_t SnapTrimStart(int32_t start, int32_t step) {
  if (step <= 0) return start;
  int32_t g = 0;
  // A start on a frame boundary stays there.
  while (start >= g + step) g += step;
  return g;
}

int32_t SnapTrimEnd(int32_t end, int32_t step, int32_t duration) {
  if (step <= 0 || end == duration) return end;
  int32_t g = 0;
  while (end > g) g += step;
  return std::min(g, duration);
}

int32_t FrameStep(const ORVGF::__VideoDescription& v, int32_t timeScale) {
  if (v.durationMs < 0.001) return 0;
  const int32_t fps = int32_t(v.frameRate + 0.5);
  return fps > 0 ? timeScale / fps : 0;
}

void AdjustBothCrop(CSource* source) {
  if (!source || !source->GetMovie()) return;
  const int32_t step = FrameStep(source->VideoDescription(), source->GetMovTS());
  if (step <= 0) return;
  int32_t start = 0, end = 0;
  source->GetBound(&start, &end);
  source->SetBound(SnapTrimStart(start, step), end);
  source->GetBound(&start, &end);
  source->SetBound(start, SnapTrimEnd(end, step, source->GetDuration()));
}

bool FillSaveParameters(CSource* source, const std::u16string& output, tagORVParameters* out) {
  if (!source || !source->GetMovie() || !out) return false;
  const ORVGF::__VideoDescription& v = source->VideoDescription();
  *out = tagORVParameters{};
  out->width = uint32_t(std::max(source->Width(), 0));
  out->height = uint32_t(std::max(source->Height(), 0));
  if (!GetMovVideoCodecName(v.codecType, out->videoCompressor)) GetMovVideoCodecName(0x6A706567, out->videoCompressor);
  out->frameRate = source->WrittenFrameRate();
  out->quality = 100;
  int32_t channels = 2, bits = 16, rate = 44100;
  uint32_t format = kSowt;
  if (source->HasAudioDescription()) {
    const ORVGF::__AudioDescription& a = source->AudioDescription();
    if (a.durationMs > 0.0) {
      channels = a.channels;
      rate = int32_t(a.sampleRate);
      if (a.format) format = a.format;
    }
  }
  // The source hands over decoded 16-bit samples whatever the file holds.
  bits = 16;
  if (!GetMovAudioCodecName(format, out->audioCompressor)) GetMovAudioCodecName(kSowt, out->audioCompressor);
  out->reserved = rate;
  tWAVEFORMATEX& w = out->soundFormat;
  w.wFormatTag = 1;
  w.nChannels = uint16_t(channels);
  w.nSamplesPerSec = uint32_t(rate);
  w.nBlockAlign = uint16_t((channels * bits) >> 3);
  w.nAvgBytesPerSec = uint32_t(w.nBlockAlign) * uint32_t(rate);
  w.wBitsPerSample = uint16_t(bits);
  w.cbSize = 0;
  CopyWide(output, out->outputPath, 1024);
  return true;
}

MovieSaveTask::~MovieSaveTask() {
  if (m_exporter) {
    Cancel();
    Finish(kSaveCancelled);
  }
  CloseTemp();
}

bool MovieSaveTask::Start(CSource* source, const std::u16string& target) {
  namespace fs = std::filesystem;
  m_result = kSaveFailed;
  if (m_exporter || !source || !source->GetMovie() || target.empty()) return false;
  const fs::path targetPath(QelToUTF8(target));
  m_target = targetPath.string();
  m_folder = targetPath.parent_path().string();
  if (m_folder.empty()) m_folder = ".";
  // A private name in the target's folder: the rename stays on one file system.
  std::string pattern = m_folder + "/.tmpSaveMov-XXXXXX.noindex";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  m_tempFd = ::mkostemps(name.data(), 8, O_CLOEXEC);
  if (m_tempFd < 0) return false;
  m_temp = name.data();

  tagORVParameters settings;
  // The writer takes 4:2:0 frames as they are: no colour conversion either way.
  if (!FillSaveParameters(source, QelFromUTF8(m_temp), &settings) || source->PrepareSave(true) != 1) {
    ::unlink(m_temp.c_str());
    CloseTemp();
    return false;
  }
  m_expectedFrames = source->HasVideo() ? source->CalcFrame() : 0;
  m_exporter = new CORVExport();
  m_exporter->AddRef();
  m_exporter->SetSource(source);
  m_exporter->SetParameter(settings);
  // Frames come from a file as fast as they are taken: the encoder may use
  // every core, as a command-line encoder would.
  m_exporter->SetEncoderThreads(0);
  if (ORV_FAILED(m_exporter->Start())) {
    m_exporter->Release();
    m_exporter = nullptr;
    ::unlink(m_temp.c_str());
    CloseTemp();
    return false;
  }
  m_result = kSaveRunning;
  return true;
}

void MovieSaveTask::Cancel() {
  if (m_exporter && m_result == kSaveRunning) {
    m_exporter->Cancel();
    m_result = kSaveCancelled;
  }
}

MovieSaveResult MovieSaveTask::Poll(int32_t* percent) {
  if (!m_exporter) return m_result;
  if (m_result != kSaveRunning) return Finish(m_result);
  // What is written so far goes to the disk while the rest is encoded: the
  // closing sync then has little left to wait for.
  ::sync_file_range(m_tempFd, 0, 0, SYNC_FILE_RANGE_WRITE);
  _SAVE_STATUS_ status = SAVE_STATUS_RUNNING;
  int32_t p = 0;
  m_exporter->GetStatus(status, p);
  if (percent) *percent = p;
  if (status == SAVE_STATUS_FINISHED) {
    // The writer takes a missing frame for the end: a source that could not
    // hand over every frame (out of memory, an unreadable stretch) made a
    // short movie, which must not replace the file.
    if (m_exporter->FramesWritten() < m_expectedFrames) {
      std::fprintf(stderr, "movie save: %d of %d frames written\n", int(m_exporter->FramesWritten()), int(m_expectedFrames));
      return Finish(kSaveFailed);
    }
    return Finish(kSaveDone);
  }
  if (status == SAVE_STATUS_FAILED) return Finish(kSaveFailed);
  if (status == SAVE_STATUS_CANCELLED) return Finish(kSaveCancelled);
  return kSaveRunning;
}

MovieSaveResult MovieSaveTask::Finish(MovieSaveResult result) {
  // The last release joins the encode threads and completes the file.
  m_exporter->Release();
  m_exporter = nullptr;
  m_result = result;
  const bool synced = result == kSaveDone && IsCompleteMovie(m_temp) && ::fsync(m_tempFd) == 0;
  CloseTemp();
  if (!synced) {
    ::unlink(m_temp.c_str());
    if (result == kSaveDone) m_result = kSaveFailed;
    return m_result;
  }
  struct stat st {};
  if (::stat(m_target.c_str(), &st) == 0) ::chmod(m_temp.c_str(), st.st_mode & 07777);
  else ::chmod(m_temp.c_str(), 0644 & ~[] { mode_t m = ::umask(0); ::umask(m); return m; }());
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    ::unlink(m_temp.c_str());
    return m_result = kSaveFailed;
  }
  SyncFolder(m_folder);
  return m_result = kSaveDone;
}

void MovieSaveTask::CloseTemp() {
  if (m_tempFd >= 0) ::close(m_tempFd);
  m_tempFd = -1;
}

MovieSaveResult SaveMovie(CSource* source, const std::u16string& target, const std::function<bool(int32_t)>& poll) {
  MovieSaveTask task;
  if (!task.Start(source, target)) return kSaveFailed;
  for (;;) {
    int32_t percent = 0;
    const MovieSaveResult r = task.Poll(&percent);
    if (r != kSaveRunning) {
      if (r == kSaveDone && poll) poll(100);
      return r;
    }
    if (poll && !poll(percent)) task.Cancel();
    else std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
