#pragma once
// The seam between the backend-independent toolkit (elements, windows,
// messages, timers, modal loops) and a backend that paints, takes input and
// hosts windows. The headless backend is built in; a display backend
// registers a factory and is chosen when a display is present.
#include <functional>
#include <memory>
#include <string>

#include "qel/QelFileChooser.h"
#include "qel/QelTypes.h"

class CQelWindow;

namespace qel {

class QEL_API Backend {
 public:
  virtual ~Backend();
  virtual const char* Name() const = 0;

  // Window hosting; bounds and visibility live in CQelWindow.
  virtual void WindowCreated(CQelWindow* w) = 0;
  virtual void WindowDestroyed(CQelWindow* w) = 0;
  virtual void WindowShown(CQelWindow* w, int32_t show_cmd) = 0;
  virtual void WindowBoundsChanged(CQelWindow* w) = 0;
  virtual void WindowTitleChanged(CQelWindow* w) = 0;
  virtual void Invalidate(CQelWindow* w) = 0;
  // Only a part of the window (window coordinates) needs drawing again.
  virtual void InvalidateRect(CQelWindow* w, const SRect32& r) { Invalidate(w); }
  // Frame controls (drag = 3, resize = 4) pressed.
  virtual void BeginFrameAction(CQelWindow* w, int32_t kind) {}

  // A modal loop starts for w (after it is shown) / has ended.
  virtual void ModalStarted(CQelWindow* w) {}
  virtual void ModalEnded(CQelWindow* w) {}

  // Screen and work area (without menu bar / panels) in screen pixels.
  virtual SRect32 ScreenBounds() = 0;
  virtual SRect32 WorkArea() = 0;

  // The window's menu bar was set or changed.
  virtual void WindowMenuBarChanged(CQelWindow* w) {}

  // Runs a file or folder chooser until the user answers (qel/QelFileChooser.h).
  virtual FileChooserResult RunFileChooser(const FileChooserRequest& request) { return {}; }

  // Paints the window's pending changes now, without handling input
  // (an animation drawn frame by frame on the main thread).
  virtual void PaintNow(CQelWindow* w) {}

  // The warning sound of the desktop (nothing without a display).
  virtual void Beep() {}

  // Animations finish in one turn of the loop (no display to watch them).
  virtual bool AnimationsEndAtOnce() const { return false; }
};

using BackendFactory = std::function<std::unique_ptr<Backend>()>;
// A display backend registers here (name "gtk").
QEL_API void RegisterBackendFactory(const std::string& name, BackendFactory f);
// The backend in use: QEL_BACKEND=headless, or no DISPLAY / WAYLAND_DISPLAY,
// or no display backend registered gives the headless one.
QEL_API Backend& CurrentBackend();
QEL_API bool IsHeadless();

}  // namespace qel
