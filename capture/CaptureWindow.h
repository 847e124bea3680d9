#pragma once
// The view that shows the live camera picture: an element placed in a
// panel of a window (the capture page, or the full-screen window), redrawn
// from the engine's preview picture by a 0.03 s timer that also runs the
// engine's idle step, scaled by the zoom rate, with a recording-time
// overlay "REC hh:mm:ss" while a movie is recorded. Main thread only.
#include <cairo.h>

#include <cstdint>
#include <string>

#include "ICaptureListener.h"
#include "IORVSource.h"
#include "qel/QelElement.h"
#include "qel/QelWindow.h"

class CPreviewView;

class CCaptureWindow {
 public:
  static constexpr uint32_t kRedrawTimer = 2007;
  static constexpr uint32_t kOverlayTimer = 2008;

  // Puts a hidden view into `host` (filling it) and starts the redraw timer.
  CCaptureWindow(ICaptureListener* listener, WindowRef window, qel::Element* host);
  virtual ~CCaptureWindow();

  void InitPlay();
  void UnInitPlay();
  void ShowHIView(bool show);
  // left, top, right, bottom; a zero width or height keeps the rectangle.
  void AdjustPreviewRect(const SRect32& rect);
  SRect32 PreviewRect() const { return m_rect; }
  // Places the view at a rectangle of its host (may reach past it, as a
  // picture filling a screen of another shape does).
  void PlaceView(const SRect32& rect);
  // The class-wide zoom rate (at least 1.0).
  static void ZoomPreviewSize(double rate);
  static double ZoomRate();
  void ShowRecordTime(bool on);
  bool RecordTimeShown() const;
  static std::string OverlayText();
  void SetConnectState(bool connected) { m_bDisconnected = !connected; }
  bool Disconnected() const { return m_bDisconnected; }

  qel::Element* View() const;
  // Frames drawn into the view since it was made.
  uint64_t FramesShown() const { return m_framesShown; }
  // The "REC" text of a recording time in seconds.
  static std::string RecordTimeText(int64_t seconds);

 private:
  static void TimerProc(void* owner, uint32_t id, void* data);
  void OnRedraw();
  void OnOverlay();

  ICaptureListener* m_pListener;
  WindowRef m_hWindow;
  CPreviewView* m_pView = nullptr;
  SRect32 m_rect{0, 0, 0, 0};
  bool m_bDisconnected = false;
  uint64_t m_lastFrame = 0;
  uint64_t m_framesShown = 0;
  int64_t m_recordStartUs = 0;
};
