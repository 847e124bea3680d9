#pragma once
// The movie editor's preview: CPlay drives the preview source (play, pause,
// stop, seek); CPlayView shows the source's adjusted frame in the preview
// area's picture element, looking every 0.03 s for a new frame (a paused
// movie draws nothing).
#include <cstdint>
#include <vector>

#include "CORVUnknown.h"
#include "IORVPlay.h"
#include "QDRect.h"

class CSource;
class CVideoEdit;
namespace qel {
class Element;
}

class CPlay : public IORVPlay, public CORVUnknown {
 public:
  CPlay() = default;
  int32_t AddRef() override { return DefaultAddRef(); }
  int32_t Release() override { return DefaultRelease(); }
  ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) override { return DefaultQueryInterface(iid, out); }
  ORVRESULT DefaultQueryInterface(const ORV_GUID& iid, void** out) override;
  ORVRESULT SetWindow(ControlRef) override { return 0; }
  ORVRESULT SetTrimParam(uint32_t, uint32_t) override { return 0; }
  ORVRESULT Start() override;
  ORVRESULT Pause() override;
  ORVRESULT Resume() override { return 0; }
  ORVRESULT Cancel() override { return 0; }
  ORVRESULT GetStatus(_PLAY_STATUS_&, int32_t&) override { return 0; }
  ORVRESULT SetSource(IORVSource* source) override;
  ORVRESULT SetVolume(uint32_t) override { return 0; }
  // percent × the untrimmed duration / 100.
  ORVRESULT Seek(int32_t percent) override;
  ORVRESULT Stop();
  void BackToBeginning();
  CSource* Source() const { return m_pSource; }

 protected:
  ~CPlay() override = default;

 private:
  CSource* m_pSource = nullptr;
};

class CPlayView {
 public:
  static constexpr uint32_t kTimerId = 1200;

  explicit CPlayView(CVideoEdit* owner, qel::Element* view);
  ~CPlayView();
  CPlayView(const CPlayView&) = delete;
  CPlayView& operator=(const CPlayView&) = delete;

  int32_t InitPlay();
  int32_t UnInitPlay();
  // Places the picture element (coordinates in the preview area).
  void AdjustPreviewRect(const SRect32& r);
  // Draws the current source's display buffer; false when there is none.
  bool Draw();

 private:
  static void TimerProc(void* owner, uint32_t id, void* data);

  CVideoEdit* m_pOwner;
  qel::Element* m_pView;
  SRect32 m_rect{};
  std::vector<uint8_t> m_rgb;
  // What the view shows: the source and its display version.
  const CSource* m_drawnSource = nullptr;
  uint64_t m_drawnVersion = 0;
};
