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

bool SyncFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
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

void AdjustBothCrop(CSource* source) {
  if (!source || !source->GetMovie()) return;
  const ORVGF::__VideoDescription& v = source->VideoDescription();
  if (v.durationMs < 0.001) return;
  const int32_t fps = int32_t(v.frameRate + 0.5);
  if (fps <= 0) return;
  const int32_t step = source->GetMovTS() / fps;
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

MovieSaveResult SaveMovie(CSource* source, const std::u16string& target, const std::function<bool(int32_t)>& poll) {
  namespace fs = std::filesystem;
  if (!source || !source->GetMovie() || target.empty()) return kSaveFailed;
  const fs::path targetPath(QelToUTF8(target));
  std::string folder = targetPath.parent_path().string();
  if (folder.empty()) folder = ".";
  // A private name in the target's folder: the rename stays on one file system.
  std::string pattern = folder + "/.tmpSaveMov-XXXXXX.noindex";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  int fd = ::mkstemps(name.data(), 8);
  if (fd < 0) return kSaveFailed;
  ::close(fd);
  const std::string temp(name.data());
  auto dropTemp = [&] { ::unlink(temp.c_str()); };

  tagORVParameters settings;
  if (!FillSaveParameters(source, QelFromUTF8(temp), &settings) || source->PrepareSave() != 1) {
    dropTemp();
    return kSaveFailed;
  }
  auto* exporter = new CORVExport();
  exporter->AddRef();
  exporter->SetSource(source);
  exporter->SetParameter(settings);
  if (ORV_FAILED(exporter->Start())) {
    exporter->Release();
    dropTemp();
    return kSaveFailed;
  }
  MovieSaveResult result = kSaveRunning;
  while (result == kSaveRunning) {
    _SAVE_STATUS_ status = SAVE_STATUS_RUNNING;
    int32_t percent = 0;
    exporter->GetStatus(status, percent);
    if (status == SAVE_STATUS_FINISHED) {
      result = kSaveDone;
    } else if (status == SAVE_STATUS_FAILED) {
      result = kSaveFailed;
    } else if (status == SAVE_STATUS_CANCELLED) {
      result = kSaveCancelled;
    } else if (poll && !poll(percent)) {
      exporter->Cancel();
      result = kSaveCancelled;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  if (result == kSaveDone && poll) poll(100);
  // The last release joins the encode threads and completes the file.
  exporter->Release();
  if (result != kSaveDone || !IsCompleteMovie(temp) || !SyncFile(temp)) {
    dropTemp();
    return result == kSaveCancelled ? kSaveCancelled : kSaveFailed;
  }
  struct stat st {};
  if (::stat(targetPath.c_str(), &st) == 0) ::chmod(temp.c_str(), st.st_mode & 07777);
  else ::chmod(temp.c_str(), 0644 & ~[] { mode_t m = ::umask(0); ::umask(m); return m; }());
  if (::rename(temp.c_str(), targetPath.c_str()) != 0) {
    dropTemp();
    return kSaveFailed;
  }
  SyncFolder(folder);
  return kSaveDone;
}
