// Menu bars of windows and the chain of menu-command handlers.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "qel/QelApp.h"
#include "qel/QelBackend.h"
#include "qel/QelMenuBar.h"
#include "qel/QelWindow.h"

namespace {

struct Installed {
  QelCommandHandler handler;
  void* data;
};

// Main thread only; newest last. Never destroyed: a program's global
// window may remove its handler while the process exits, after this
// library's statics would be gone.
std::vector<Installed*>& Handlers() {
  static auto* handlers = new std::vector<Installed*>;
  return *handlers;
}

std::atomic<int> g_backend_popups{0};

constexpr uint32_t kQuitCommand = QelFourCC("quit");

}  // namespace

void CQelWindow::SetMenuBar(const qel::MenuBar& bar) {
  menu_bar_ = std::make_unique<qel::MenuBar>(bar);
  if (IsCreated()) qel::CurrentBackend().WindowMenuBarChanged(this);
}

bool CQelWindow::DeleteMenuItems(int16_t menuId, int32_t first, int32_t count) {
  if (!menu_bar_ || first < 1 || count < 0) return false;
  for (qel::MenuBarMenu& menu : *menu_bar_) {
    if (menu.id != menuId) continue;
    if (size_t(first) > menu.items.size()) return false;
    size_t end = std::min(menu.items.size(), size_t(first - 1) + size_t(count));
    menu.items.erase(menu.items.begin() + (first - 1), menu.items.begin() + ptrdiff_t(end));
    if (IsCreated()) qel::CurrentBackend().WindowMenuBarChanged(this);
    return true;
  }
  return false;
}

bool CQelWindow::EnableMenuCommand(uint32_t command, bool enabled) {
  if (!menu_bar_) return false;
  bool changed = false;
  for (qel::MenuBarMenu& menu : *menu_bar_) {
    for (qel::MenuBarItem& item : menu.items) {
      if (item.separator || (command != 0 && item.command != command) || item.enabled == enabled) continue;
      item.enabled = enabled;
      changed = true;
    }
  }
  if (changed && IsCreated()) qel::CurrentBackend().WindowMenuBarChanged(this);
  return changed;
}

void* QelInstallCommandHandler(QelCommandHandler handler, void* data) {
  if (!handler) return nullptr;
  auto* installed = new Installed{handler, data};
  Handlers().push_back(installed);
  return installed;
}

void QelRemoveCommandHandler(void* installed) {
  auto& list = Handlers();
  auto it = std::find(list.begin(), list.end(), static_cast<Installed*>(installed));
  if (it == list.end()) return;
  delete *it;
  list.erase(it);
}

int32_t QelProcessCommand(const QelHICommand& command) {
  // A handler may install or remove others while it runs: walk a copy and
  // skip what went meanwhile.
  std::vector<Installed*> chain = Handlers();
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    auto& live = Handlers();
    if (std::find(live.begin(), live.end(), *it) == live.end()) continue;
    int32_t answer = (*it)->handler(command, (*it)->data);
    if (answer != QEL_EVENT_NOT_HANDLED) return answer;
  }
  if (command.kind == QEL_CMD_PROCESS && command.commandID == kQuitCommand) {
    // Quitting is closing the main window, which asks first.
    CQelApp* app = CQelApp::GetApp();
    CQelWindow* main = app ? app->GetQelMainWnd() : nullptr;
    if (main && main->IsCreated()) {
      PostMessage(main->GetWindowRef(), QEL_WM_CLOSE, 0, 0);
    } else if (app) {
      app->Quit(0);
    }
    return 0;
  }
  return QEL_EVENT_NOT_HANDLED;
}

bool QelChooseMenuCommand(CQelWindow* window, uint32_t command) {
  if (!CQelWindow::FetchQelWindow(window) || !window->GetMenuBar() || command == 0) return false;
  QelHICommand cmd;
  cmd.commandID = command;
  bool found = false;
  for (const qel::MenuBarMenu& menu : *window->GetMenuBar()) {
    for (size_t i = 0; i < menu.items.size() && !found; ++i) {
      if (menu.items[i].separator || menu.items[i].command != command) continue;
      cmd.menuID = menu.id;
      cmd.menuItem = uint16_t(i + 1);
      found = true;
    }
    if (found) break;
  }
  if (!found) return false;
  // Its state first: a handler may disable it now.
  cmd.kind = QEL_CMD_UPDATE_STATUS;
  QelProcessCommand(cmd);
  if (!CQelWindow::FetchQelWindow(window) || !window->GetMenuBar()) return false;
  for (const qel::MenuBarMenu& menu : *window->GetMenuBar()) {
    if (menu.id != cmd.menuID || cmd.menuItem > menu.items.size()) continue;
    const qel::MenuBarItem& item = menu.items[cmd.menuItem - 1];
    if (item.command != command || !item.enabled) return false;
    cmd.kind = QEL_CMD_PROCESS;
    QelProcessCommand(cmd);
    return true;
  }
  return false;
}

bool QelEnableMenuCommand(CQelWindow* window, uint32_t command, bool enabled) {
  if (!CQelWindow::FetchQelWindow(window)) return false;
  return window->EnableMenuCommand(command, enabled);
}

CQelWindow* QelGetPopupSurface() {
  std::vector<CQelWindow*> order = QelWindows();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    CQelWindow* w = *it;
    if (!w->IsWindowVisible()) continue;
    auto* modal = dynamic_cast<CQelModalWnd*>(w);
    if (modal && modal->InModal() && w->GetWindowClass() == 3) return w;
  }
  return nullptr;
}

bool QelIsPopupOpen() { return g_backend_popups.load() > 0 || QelGetPopupSurface() != nullptr; }

namespace qel {

void PopupOpened() { ++g_backend_popups; }

void PopupClosed() {
  int now = g_backend_popups.load();
  while (now > 0 && !g_backend_popups.compare_exchange_weak(now, now - 1)) {
  }
}

}  // namespace qel
