#pragma once
// The playback view: the only owner of the media player, and the video
// element that shows its pictures inside the main window's picture area.
// Presses on the picture become messages 3029 (activity) and 3031 (double
// click) to the window. Positions and lengths are milliseconds; the volume
// is the volume bar's 0 .. 100.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "media/Frame.h"
#include "media/Player.h"
#include "qel/QelTypes.h"

class CQelWindow;
namespace qel {
class Element;
class VideoElement;
}  // namespace qel

// Messages of the view to its window.
inline constexpr uint32_t kMsgMouseAction = 3029;
inline constexpr uint32_t kMsgDoubleClick = 3031;
// A new picture is due (posted from the player's worker, at most one waits).
inline constexpr uint32_t kMsgFrameDue = 3040;

// Play states as the view reports them.
inline constexpr int kPlayStateStopped = 0;
inline constexpr int kPlayStatePaused = 1;
inline constexpr int kPlayStatePlaying = 2;

class CPlayWnd {
 public:
  CPlayWnd();
  virtual ~CPlayWnd();
  CPlayWnd(const CPlayWnd&) = delete;
  CPlayWnd& operator=(const CPlayWnd&) = delete;

  // Makes the video element as the first child of `area` (filling it) in
  // `window`; 1, or 0 without an area.
  int Create(CQelWindow* window, qel::Element* area);
  // Opens the file stopped at its start with its first picture shown; 1, or
  // 0 with `error` set when it cannot be played.
  int OpenFile(const std::u16string& path, int32_t* error);
  // Stops and forgets the file; the picture area goes blank.
  void Clear();
  void Play();
  void Pause();
  void SetVolume(int volume);
  void Mute(int mute);
  void SetPlayPosition(uint32_t ms);
  uint32_t GetCurrentPlayPosition() const;
  uint32_t GetTotalTime() const;
  int GetPlayState() const;
  // The movie's shape on screen; 0 x 0 for a sound file or without a file.
  SIZE GetVideoSize() const;
  bool IsFileOpened() const { return m_bOpened; }
  bool IsUnSeekableFile() const { return false; }
  int IsMuted() const { return m_nMute; }
  int GetVolume() const { return m_nVolume; }
  void Fresh() {}
  qel::VideoElement* GetSafeHwnd() const { return m_pView; }

  // Shows the picture due now, when there is a new one (message 3040).
  void PresentFrame();
  // The picture on screen: its time in the movie (-1 without one).
  int64_t ShownFrameTimeUs() const;
  media::Player& Player() { return *m_pPlayer; }

 private:
  static int32_t ViewProc(QelObject element, int32_t event, QELLPARAM param, void* data);

  int m_bClearing = 0;
  CQelWindow* m_pWindow = nullptr;
  qel::VideoElement* m_pView = nullptr;
  std::unique_ptr<media::Player> m_pPlayer;
  bool m_bOpened = false;
  int m_nVolume = 0;
  int m_nMute = 0;
  SIZE m_VideoSize{0, 0};
  media::Frame m_Frame;
  // Shared with the player's worker: a frame message is on its way.
  std::shared_ptr<std::atomic<bool>> m_pFramePosted;
};
