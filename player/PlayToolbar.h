#pragma once
// The play toolbar of full screen ("playvanefull.aui"), laid over the
// bottom of the full-screen window: twins of the main window's controls,
// each forwarded to the main window's action with the source 1. When it
// shows, slides away and comes back is the main window's to decide.
#include <string>

#include "qel/QelWindow.h"

class CMainFrame;
class CFullScreenWnd;
namespace qel {
class Element;
}

class CPlayToolbar : public CQelCallbackMap {
 public:
  CPlayToolbar() = default;
  ~CPlayToolbar() override;

  void SetPointer(CMainFrame* mainFrame) { m_pMainFrame = mainFrame; }
  // Loads the layout into the full-screen window (hidden); 1, or 0.
  int CreateWnd(CFullScreenWnd* parent, const std::string& bundleContents);
  // The bar's panel inside the full-screen window; its twins by name.
  qel::Element* Panel() const { return m_pPanel; }
  qel::Element* Find(const char* name) const;
  void ShowWindow(int cmd);
  bool IsWindowVisible() const;
  bool IsWindowEnabled() const;

 protected:
  void* DefaultCallbackData() override { return this; }

 private:
  static int32_t ClickProc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t CheckProc(QelObject element, int32_t event, QELLPARAM, void* data);
  static int32_t SliderProc(QelObject element, int32_t event, QELLPARAM, void* data);

  CMainFrame* m_pMainFrame = nullptr;
  qel::Element* m_pPanel = nullptr;
};
