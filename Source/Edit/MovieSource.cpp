#include "MovieSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "EditGlobals.h"
#include "EditPanel.h"
#include "FramePrefetch.h"
#include "MovieHelpers.h"
#include "PlanarLevels.h"
#include "media/Movie.h"
#include "media/Player.h"
#include "os/Offscreen.h"
#include "qel/QelTimer.h"
#include "qel/QelWideText.h"

namespace {

// Movie opening and disposal take turns with the album's thumbnail thread.
struct OpeningGuard {
  CEditPanel* panel = vGetPanelHandle();
  OpeningGuard() {
    if (panel) panel->SetOpenningVideo(1);
  }
  ~OpeningGuard() {
    if (panel) panel->SetOpenningVideo(0);
  }
};

}  // namespace

CSource::CSource() = default;

CSource::~CSource() {
  m_prefetch.reset();
  QelRemoveTimersOf(this);
  m_player.reset();
  if (m_movie) DisposeMovie(m_movie);
  DisposeGWorld(m_frame);
  DisposeGWorld(m_display);
  for (GWorldPtr world : m_spare) DisposeGWorld(world);
}

ORVRESULT CSource::DefaultQueryInterface(const ORV_GUID& iid, void** out) {
  if (iid == IID_IORVUnknown) return GetInterface(static_cast<IORVSource*>(this), out);
  return ORV_E_NOTIMPL;
}

ORVRESULT CSource::SetFilePath(const WCHAR* path) {
  if (!path) return 0;
  size_t n = 0;
  while (n < 1023 && path[n]) ++n;
  m_path.assign(path, n);
  return 0;
}

ORVRESULT CSource::Open() {
  {
    OpeningGuard guard;
    m_movie = OpenMovFile(m_path.c_str());
  }
  if (!m_movie) return 0;
  Rect box{};
  GetMovieBox(m_movie, &box);
  m_width = box.right - box.left;
  m_height = box.bottom - box.top;
  int32_t start = 0;
  GetMovieActiveSDTime(m_movie, &start, &m_duration);
  m_trimStart = 0;
  m_trimEnd = m_duration;
  m_bHasAudio = ORVGF::GetAudioDescription(m_movie, &m_audio);
  m_bHasVideo = ORVGF::GetVideoDescription(m_movie, &m_video);
  return m_bHasVideo ? 1 : 0;
}

int32_t CSource::ReOpen() {
  if (m_movie) return 1;
  m_movie = OpenMovFile(m_path.c_str());
  return m_movie ? 1 : 0;
}

ORVRESULT CSource::Close() {
  m_prefetch.reset();
  QelRemoveTimersOf(this);
  m_bPreviewStarted = 0;
  m_bPlaying = 0;
  m_player.reset();
  if (m_movie) {
    OpeningGuard guard;
    DisposeMovie(m_movie);
    m_movie = nullptr;
  }
  return 0;
}

ORVRESULT CSource::GetDuration(int32_t* ms) {
  if (ms) *ms = int32_t(int64_t(m_trimEnd - m_trimStart) * 1000 / std::max(GetMovTS(), 1));
  return 0;
}

int32_t CSource::GetMovieTimeinfo(int32_t& current, int32_t& duration, int32_t& scale) const {
  if (!m_movie) return 0;
  current = GetMovieTime(m_movie);
  duration = GetMovieDuration(m_movie);
  scale = GetMovieTimeScale(m_movie);
  return 1;
}

int32_t CSource::GetPosition() const { return m_movie ? GetMovieTime(m_movie) : 0; }

int32_t CSource::SetPosition(int32_t t) {
  if (!m_movie) return 0;
  if (t < m_trimStart) t = m_trimStart;
  if (t >= m_trimEnd) t = std::max(m_trimEnd - 1, m_trimStart);
  SetMovieTimeValue(m_movie, t);
  m_current = t;
  if (m_bPlaying && m_player) {
    m_player->Seek(int64_t(t) * 1000 / 600);
  } else if (m_bPreviewStarted) {
    RefreshVideoBufferAtTime(t);
    RefreshDisplayBuffer();
  }
  return t;
}

void CSource::BackToBeginning() {
  if (!m_movie) return;
  int32_t t = std::clamp(m_trimStart, 0, std::max(m_duration, 0));
  SetPosition(t);
}

void CSource::SetPlayTime(int32_t t) {
  m_current = std::clamp(t, 0, std::max(m_duration, 0));
  if (m_player) m_player->Seek(int64_t(m_current) * 1000 / 600);
  RefreshVideoBufferAtTime(m_current);
  RefreshDisplayBuffer();
}

void CSource::SetPreviewRect(const Rect& r) {
  m_preview = r;
  if (m_movie && !m_bPreviewStarted && r.right > r.left && r.bottom > r.top) {
    m_bPreviewStarted = 1;
    InitPreview();
  }
}

void CSource::InitPreview() {
  RefreshVideoBufferAtTime(m_current);
  RefreshDisplayBuffer();
}

void CSource::TimerProc(void* owner, uint32_t id, void*) {
  if (!owner || id != kTimerId) return;
  static_cast<CSource*>(owner)->PlayEvent();
}

bool CSource::EnsurePlayer() {
  if (m_player) return true;
  auto player = std::make_unique<media::Player>();
  if (player->Open(QelToUTF8(m_path)) != 0) return false;
  m_player = std::move(player);
  return true;
}

void CSource::PlayEvent() {
  if (!m_movie) return;
  if (m_bPlaying && m_player) {
    // The sound is the clock: the picture follows the player's position.
    m_current = int32_t(std::min<int64_t>(m_player->PositionMs() * 600 / 1000, m_duration));
    if (m_player->State() != media::PlayState::Playing) m_current = m_duration;
    SetMovieTimeValue(m_movie, m_current);
    // The player's worker has decoded the picture due now: take it rather
    // than decode it a second time here.
    if (m_frame && m_player->TakeFrame(m_playFrame) && m_playFrame.width == m_frame->width &&
        m_playFrame.height == m_frame->height) {
      for (int32_t y = 0; y < m_frame->height; ++y)
        std::memcpy(m_frame->pixels + size_t(y) * size_t(m_frame->rowBytes), m_playFrame.Row(y),
                    size_t(m_frame->width) * 4);
      RefreshDisplayBuffer();
    }
  }
}

void CSource::DoCommand(int32_t command) {
  if (!m_movie) return;
  switch (command) {
    case kPlay:
      if (!EnsurePlayer()) return;
      m_bPlaying = 1;
      m_player->Seek(int64_t(m_current) * 1000 / 600);
      m_player->Play();
      // The picture follows the sound while playing; paused, nothing wakes.
      if (m_bPreviewStarted) QelInstallTimer(this, kTimerId, 0, 30, &CSource::TimerProc, this);
      break;
    case kPause:
      m_bPlaying = 0;
      QelRemoveTimer(this, kTimerId);
      if (m_player) m_player->Pause();
      break;
    case kStop:
      m_bPlaying = 0;
      QelRemoveTimer(this, kTimerId);
      if (m_player) m_player->Pause();
      m_current = 0;
      SetMovieTimeValue(m_movie, 0);
      RefreshVideoBufferAtTime(0);
      RefreshDisplayBuffer();
      break;
    default:
      break;
  }
}

void CSource::RefreshVideoBufferAtTime(int32_t t) {
  if (!m_movie || !m_bHasVideo) return;
  if (m_frame) {
    SetMovieTimeValue(m_movie, t);
    MoviesTask(m_movie, 0);
  } else {
    Rect box;
    box.bottom = m_height;
    box.right = m_width;
    m_frame = MovieFrameToGWorldSimple(m_movie, t, box, 0);
  }
}

void CSource::RefreshDisplayBuffer() {
  if (!m_frame) return;
  if (!m_display) {
    m_display = CopyGWorld(m_frame);
  } else {
    CopyGWorld(m_frame, m_display);
  }
  GWProcessBrightnessAndContrast(m_display, m_brightness, m_contrast, 1);
  if (m_onDisplay) m_onDisplay();
}

ORVRESULT CSource::SetEffect(int32_t brightness, int32_t contrast) {
  m_brightness = std::clamp(brightness, -128, 128);
  m_contrast = std::clamp(contrast, -128, 128);
  if (!m_bPlaying) {
    RefreshVideoBufferAtTime(m_current);
    RefreshDisplayBuffer();
  }
  return 0;
}

int32_t CSource::SetBound(int32_t start, int32_t end) {
  if (start == m_trimStart && end == m_trimEnd) return 1;
  if (m_bPlaying) DoCommand(kPause);
  const double h = 0.5 * GetMovTS();
  if (start != m_trimStart) {
    if (start > end - h) start = int32_t(end - h);
    if (start < 0) start = 0;
  }
  if (end != m_trimEnd) {
    if (end < start + h) end = int32_t(start + h);
    if (end > m_duration) end = m_duration;
  }
  m_trimStart = start;
  m_trimEnd = end;
  return 1;
}

int32_t CSource::GetBound(int32_t* start, int32_t* end) const {
  if (!start && !end) return 0;
  if (start) *start = m_trimStart;
  if (end) *end = m_trimEnd;
  return 1;
}

double CSource::WrittenFrameRate() const { return std::floor(m_video.frameRate * 100 + 0.5) / 100; }

int32_t CSource::CalcFrame() const {
  if (!m_movie || m_trimEnd - m_trimStart < 1) return 0;
  // The writer's rate, not the rounded one: the pictures then end with the
  // sound at the trim end.
  return int32_t(std::floor(double(m_trimEnd - m_trimStart) * WrittenFrameRate() / GetMovTS() + 1e-6));
}

int32_t CSource::PrepareSave(bool planar) {
  m_prefetch.reset();
  if (!m_movie) return 0;
  m_framesDelivered = 0;
  m_frameCount = CalcFrame();
  RefreshVideoBufferAtTime(m_trimStart);
  m_planar = false;
  media::Movie* movie = GetMediaMovie(m_movie);
  if (planar && m_bHasVideo && movie && movie->DecodesToYuv420() &&
      movie->FrameSize() == media::Size{m_width, m_height}) {
    if (!m_levels) m_levels = std::make_unique<PlanarLevels>();
    m_planar = MakePlanarLevels(m_brightness, m_contrast, m_levels.get());
  }
  return 1;
}

GWorldPtr CSource::GetVideoData(int32_t ms, int64_t*, int64_t*) {
  if (!m_movie || m_framesDelivered >= m_frameCount) return nullptr;
  if (m_framesDelivered == 0 && !m_prefetch) {
    // The writer asks for frame n at the start of its n-th frame, in whole
    // milliseconds after the first: the frames are made ahead for those
    // times while it encodes.
    const double fps = WrittenFrameRate();
    const int32_t first = ms;
    if (fps > 0) {
      m_prefetch = std::make_unique<FramePrefetch>(
          [this](int32_t at) { return MakeFrame(at); }, [this](GWorldPtr w) { ResetVideoData(w); },
          [fps, first](int32_t n) { return first + int32_t(std::llround(double(n) * 600.0 / fps) * 1000 / 600); },
          m_frameCount, 3);
    }
  }
  GWorldPtr frame = nullptr;
  if (m_prefetch && !m_prefetch->Take(ms, frame)) {
    m_prefetch.reset();  // another time than foreseen: made here from now on
    frame = MakeFrame(ms);
  } else if (!m_prefetch) {
    frame = MakeFrame(ms);
  }
  if (frame) ++m_framesDelivered;
  if (m_framesDelivered >= m_frameCount) m_prefetch.reset();
  return frame;
}

GWorldPtr CSource::MakeFrame(int32_t ms) {
  // The writer hands its frame time in whole milliseconds, cut down from
  // units: rounding gives the unit back (cutting would land one unit early,
  // on the frame before, at 30 frames a second).
  int32_t t = int32_t((int64_t(ms) * GetMovTS() + 500) / 1000) + m_trimStart;
  if (t < 0) t = 0;
  if (m_planar) {
    if (GWorldPtr planar = MakePlanarFrame(t)) return planar;
  }
  const bool direct = m_frame != nullptr;
  if (!direct) RefreshVideoBufferAtTime(t);
  if (!m_frame) return nullptr;
  GWorldPtr copy = SpareWorld(m_frame->depth);
  if (!copy) return nullptr;
  if (direct) {
    // Decoded straight into the frame handed out; the last picture of the
    // movie's own world stands in when nothing can be decoded there.
    SetMovieTimeValue(m_movie, t);
    SetMovieGWorld(m_movie, copy);
    const bool decoded = MoviesTask(m_movie, 0) == 0;
    SetMovieGWorld(m_movie, m_frame);
    if (!decoded) CopyGWorld(m_frame, copy);
  } else {
    CopyGWorld(m_frame, copy);
  }
  GWProcessBrightnessAndContrast(copy, m_brightness, m_contrast, 1);
  return copy;
}

GWorldPtr CSource::MakePlanarFrame(int32_t t) {
  media::Movie* movie = GetMediaMovie(m_movie);
  GWorldPtr world = movie ? SpareWorld(plat::kOffscreenYUV420) : nullptr;
  if (!world) return nullptr;
  media::Yuv420View planes;
  for (int p = 0; p < 3; ++p) planes.planes[p] = plat::OffscreenPlane(world, p, &planes.rowBytes[p]);
  planes.size = {world->width, world->height};
  SetMovieTimeValue(m_movie, t);
  if (movie->FrameYuv420Into(t, planes, nullptr, nullptr) != 0) {
    ResetVideoData(world);
    return nullptr;
  }
  ApplyPlanarLevels(*m_levels, planes.planes, planes.rowBytes, world->width, world->height);
  return world;
}

GWorldPtr CSource::SpareWorld(int32_t depth) {
  GWorldPtr world = nullptr;
  {
    std::lock_guard<std::mutex> hold(m_spareLock);
    if (!m_spare.empty()) {
      world = m_spare.back();
      m_spare.pop_back();
    }
  }
  if (world && (world->width != m_width || world->height != m_height || world->depth != depth)) {
    DisposeGWorld(world);
    world = nullptr;
  }
  return world ? world : plat::NewOffscreen(m_width, m_height, depth);
}

ORVRESULT CSource::ResetVideoData(GWorldPtr world) {
  if (!world) return 1;
  {
    std::lock_guard<std::mutex> hold(m_spareLock);
    if (m_spare.size() < 6) {
      m_spare.push_back(world);
      return 0;
    }
  }
  DisposeGWorld(world);
  return 0;
}

ORVRESULT CSource::GetAudioData(tWAVEFORMATEX*, int32_t, uint32_t, uint32_t* got, unsigned char* buffer) {
  if (m_bSoundDone) return kNoMoreData;
  media::Movie* movie = GetMediaMovie(m_movie);
  if (!buffer) {
    if (!movie) return ORV_E_FAIL;
    if (!movie->HasSound()) {
      m_bSoundDone = true;
      return kNoMoreData;
    }
    const int64_t rate = movie->SoundRate();
    if (!m_bSoundStarted) {
      if (movie->SeekSound(m_trimStart) != 0) return ORV_E_FAIL;
      m_bSoundStarted = true;
      m_soundFrames = 0;
    }
    // Sample frames up to the trim end, counted from the trim start so that
    // rounding never adds up.
    const int64_t total = int64_t(m_trimEnd - m_trimStart) * rate / GetMovTS();
    const int64_t wanted = std::min<int64_t>(rate, total - m_soundFrames);
    if (wanted <= 0) {
      m_bSoundDone = true;
      return kNoMoreData;
    }
    m_chunk.clear();
    const size_t frameBytes = size_t(movie->SoundChannels()) * 2;
    int64_t read = 0;
    while (read < wanted) {
      int n = movie->ReadSound(size_t(wanted - read), m_chunk);
      if (n < 0) return ORV_E_FAIL;
      if (n == 0) break;
      read += n;
    }
    if (read == 0) {
      m_bSoundDone = true;
      return kNoMoreData;
    }
    m_chunk.resize(size_t(read) * frameBytes);
    m_soundFrames += read;
    m_bChunkHeld = true;
    if (got) *got = uint32_t(m_chunk.size());
    return 0;
  }
  if (!m_bChunkHeld) return ORV_E_FAIL;
  std::copy(m_chunk.begin(), m_chunk.end(), buffer);
  if (got) *got = uint32_t(m_chunk.size());
  m_bChunkHeld = false;
  return 0;
}
