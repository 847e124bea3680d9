#pragma once
// The video element (class 'vide'): shows one decoded picture at a time,
// scaled into the element with its shape kept and centred on the element's
// background (black bars where the shapes differ). Pictures come as 32-bit
// A, R, G, B in memory, the media layer's form; the element keeps its own
// copy, so the caller's buffer may be reused at once.
#include <cstdint>

#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace qel {

inline constexpr uint32_t kVideoClass = QelFourCC("vide");
// A press on the picture, told to the element's callback: the parameter
// holds the button (1 left, 2 middle, 3 right) in its low 8 bits and the
// click count (1, or 2 for the second press of a double click) above them.
inline constexpr int32_t kVideoPressEvent = 0x40000010;

class QEL_API VideoElement : public Element {
 public:
  VideoElement(uint32_t kind, std::string name);

  // Copies the picture and redraws. `timeUs` is the picture's time in its
  // movie, kept for whoever asks what is on screen.
  void ShowFrame(const uint8_t* argb, int32_t width, int32_t height, int32_t rowBytes, int64_t timeUs);
  // Shows the background alone.
  void ClearFrame();
  bool HasFrame() const { return surface_ != nullptr; }
  int64_t FrameTimeUs() const { return time_us_; }
  // Pictures shown since the element was made.
  int64_t FramesShown() const { return shown_; }
  // The shape the picture is shown at (a movie whose pixels are not square
  // gives its display size here); 0 x 0: the picture's own size.
  void SetDisplaySize(SIZE size);

  // Where a picture of w x h lands inside `area`: as large as fits, its
  // shape kept, centred. Empty when either size is not positive.
  static SRect32 FitRect(const SRect32& area, int32_t w, int32_t h);

  void PaintOver(cairo_t* cr) override;
  bool TakePointer(const PointerInput& in) override;
  Object* Copy() const override;

 protected:
  ~VideoElement() override;

 private:
  cairo_surface_t* surface_ = nullptr;
  int64_t time_us_ = -1;
  int64_t shown_ = 0;
  SIZE display_{0, 0};
};

// The element as a video element, or null.
QEL_API VideoElement* AsVideo(QelObject h);

}  // namespace qel
