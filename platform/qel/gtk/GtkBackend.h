#pragma once
// The GTK 3 backend: one GtkWindowHost per toolkit window.
#include <map>
#include <memory>

#include "GtkWindowHost.h"
#include "qel/QelBackend.h"

namespace qel::gtk {

class GtkBackend : public Backend {
 public:
  GtkBackend();
  ~GtkBackend() override;
  const char* Name() const override { return "gtk"; }

  void WindowCreated(CQelWindow* w) override;
  void WindowDestroyed(CQelWindow* w) override;
  void WindowShown(CQelWindow* w, int32_t show_cmd) override;
  void WindowBoundsChanged(CQelWindow* w) override;
  void WindowTitleChanged(CQelWindow* w) override;
  void Invalidate(CQelWindow* w) override;
  void InvalidateRect(CQelWindow* w, const SRect32& r) override;
  void BeginFrameAction(CQelWindow* w, int32_t kind) override;
  void ModalStarted(CQelWindow* w) override;
  void ModalEnded(CQelWindow* w) override;
  void WindowMenuBarChanged(CQelWindow* w) override;
  FileChooserResult RunFileChooser(const FileChooserRequest& request) override;
  SRect32 ScreenBounds() override;
  SRect32 WorkArea() override;
  void Beep() override;
  void PaintNow(CQelWindow* w) override;

  GtkWindowHost* HostOf(CQelWindow* w) const;

  // The backend in use when it is this one, else null.
  static GtkBackend* Active();

 private:
  static gboolean OnReap(gpointer self);

  std::map<CQelWindow*, std::unique_ptr<GtkWindowHost>> hosts_;
  std::vector<std::unique_ptr<GtkWindowHost>> detached_;
  guint reap_source_ = 0;
};

}  // namespace qel::gtk
