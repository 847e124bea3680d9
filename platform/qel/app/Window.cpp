#include <algorithm>
#include <mutex>

#include "qel/QelApp.h"
#include "qel/QelBackend.h"
#include "qel/QelFileChooser.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"
#include "qel/QelTimer.h"
#include "qel/QelWindow.h"

namespace qel {

void RegisterWindow(WindowRef w);
void UnregisterWindow(WindowRef w);
bool IsWindowAlive(WindowRef w);

namespace {
std::vector<CQelWindow*> g_order;  // main thread only; front-most last

void BringToFront(CQelWindow* w) {
  g_order.erase(std::remove(g_order.begin(), g_order.end(), w), g_order.end());
  g_order.push_back(w);
}
}  // namespace

void InvalidateHostWindow(CQelWindow* w) {
  if (w && w->IsCreated()) CurrentBackend().Invalidate(w);
}

void InvalidateHostRect(CQelWindow* w, const SRect32& r) {
  if (w && w->IsCreated()) CurrentBackend().InvalidateRect(w, r);
}

intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp) {
  // A window that loses the focus ends any press held in it.
  if (msg == QEL_WM_ACTIVATE && wp == 0) input::CancelPointer();
  bool handled = false;
  intptr_t r = w->ProcessMessage(msg, wp, lp, handled);
  if (!handled && msg == QEL_WM_CLOSE && IsWindowAlive(w)) return w->Close();
  return r;
}

}  // namespace qel

std::vector<CQelWindow*> QelWindows() { return qel::g_order; }

CQelWindow::CQelWindow() {
  cs_.windowClass = 6;
  cs_.alpha = 1.0;
}

CQelWindow::~CQelWindow() {
  if (created_) Destroy();
  DetachCallBacks();
  if (root_) {
    root_->SetHostWindow(nullptr);
    root_->Release();
  }
  qel::g_order.erase(std::remove(qel::g_order.begin(), qel::g_order.end(), this), qel::g_order.end());
}

void CQelWindow::RegisterCallBacks() {}

intptr_t CQelWindow::ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  return DispatchMapped(msg, wp, lp, handled);
}

int32_t CQelWindow::Create(const WCHAR* layout, SRect32* rect, WindowRef parent) {
  if (!layout) return 0;
  return Create(qel::ToU8(layout).c_str(), rect, parent);
}

int32_t CQelWindow::Create(const char* layout, SRect32* rect, WindowRef parent) {
  if (created_ || !layout) return 0;
  QelObject root = QelCreateLayout(layout);
  if (!root) return 0;
  int32_t ok = CreateFromPanel(root, rect, parent);
  Qel0Release(root);
  return ok;
}

int32_t CQelWindow::CreateFromPanel(QelObject panel, SRect32* rect, WindowRef parent) {
  qel::Element* root = qel::Element::From(panel);
  if (created_ || !root) return 0;
  root->Retain();
  if (root_) root_->Release();
  root_ = root;
  cs_.parent = parent;
  cs_.bounds = rect ? *rect : SRect32{0, 0, root->FrameSize().cx, root->FrameSize().cy};
  PreCreateWind(&cs_);
  PreCreate();
  SRect32 b = cs_.bounds;
  if (b.right <= b.left || b.bottom <= b.top) {
    b = SRect32{b.left, b.top, b.left + root->FrameSize().cx, b.top + root->FrameSize().cy};
  }
  bounds_ = b;
  root_->SetFrameSize(SIZE{b.right - b.left, b.bottom - b.top});
  root_->SetHostWindow(this);
  created_ = true;
  qel::RegisterWindow(GetWindowRef());
  qel::BringToFront(this);
  qel::CurrentBackend().WindowCreated(this);
  RegisterCallBacks();
  AttachCallBacks(root_->Handle());
  DidCreate();
  return 1;
}

int32_t CQelWindow::SetDefaultCallBackName(const char* name, int32_t kind) {
  if (!name || kind < QEL_FRAME_CLOSE || kind > QEL_FRAME_RESIZE) return QEL_E_INVALIDARG;
  frame_names_[name] = kind;
  RegisterCallBack(name, QEL_EV_CLICK, &CQelWindow::FrameProc, static_cast<CQelWindow*>(this));
  return QEL_S_OK;
}

int32_t CQelWindow::FrameProc(QelObject element, int32_t, QELLPARAM, void* data) {
  auto* w = static_cast<CQelWindow*>(data);
  qel::Element* e = qel::Element::From(element);
  if (!w || !e) return 0;
  for (auto& [name, kind] : w->frame_names_) {
    if (qel::NamesEqual(name, e->Name())) {
      w->DoFrameAction(kind);
      break;
    }
  }
  return 0;
}

void CQelWindow::DoFrameAction(int32_t kind) {
  switch (kind) {
    case QEL_FRAME_CLOSE:
      Close();
      break;
    case QEL_FRAME_MINIMIZE:
      ShowWindow(6);
      break;
    case QEL_FRAME_MAXIMIZE:
      ShowWindow(maximized_ ? 9 : 3);
      break;
    default:
      qel::CurrentBackend().BeginFrameAction(this, kind);
      break;
  }
}

int32_t CQelWindow::FrameKindOf(const qel::Element* e) const {
  if (!e) return -1;
  for (auto& [name, kind] : frame_names_) {
    if (qel::NamesEqual(name, e->Name())) return kind;
  }
  return -1;
}

bool CQelWindow::HasFrameAction(int32_t kind) const {
  for (auto& [name, k] : frame_names_) {
    if (k == kind) return true;
  }
  return false;
}

int32_t CQelWindow::PreCreateWind(QelCreateStruct*) { return QEL_S_OK; }
int32_t CQelWindow::PreCreate() { return QEL_S_OK; }
int32_t CQelWindow::DidCreate() { return QEL_S_OK; }
int32_t CQelWindow::AskForClose() { return 1; }
void CQelWindow::WillClose() {}
void CQelWindow::DidClose() {}
int32_t CQelWindow::QuitAppAfterDestroyed() { return 0; }

CQelWindow* CQelWindow::FetchQelWindow(WindowRef w) {
  return qel::IsWindowAlive(w) ? static_cast<CQelWindow*>(w) : nullptr;
}

QelObject CQelWindow::GetElementByName(const char* name, int deep) {
  if (!root_ || !name) return nullptr;
  qel::Element* e = root_->FindByName(name, deep != 0);
  return e ? e->Handle() : nullptr;
}

int32_t CQelWindow::Close() {
  if (!created_) return 0;
  if (AskForClose() == 0) return 0;
  if (EndModalLoopOnClose()) {
    auto* modal = static_cast<CQelModalWnd*>(this);
    if (modal->InModal()) {
      modal->EndModal(CQelModalWnd::kResultCancel);  // DoModal finishes the close
      return 1;
    }
  }
  WillClose();
  Destroy();
  DidClose();
  if (QuitAppAfterDestroyed()) {
    if (CQelApp* app = CQelApp::GetApp()) app->Quit(0);
  }
  return 1;
}

void CQelWindow::Destroy() {
  if (!created_) return;
  QelRemoveTimersOf(this);
  visible_ = false;
  created_ = false;
  qel::CurrentBackend().WindowDestroyed(this);
  qel::UnregisterWindow(GetWindowRef());
  qel::g_order.erase(std::remove(qel::g_order.begin(), qel::g_order.end(), this), qel::g_order.end());
  DetachCallBacks();
}

int32_t CQelWindow::ShowWindow(int32_t cmd) {
  if (!created_) return 0;
  switch (cmd) {
    case 0:
      visible_ = false;
      break;
    case 2:
    case 6:
      minimized_ = true;
      break;
    case 3:
      if (!maximized_) restore_bounds_ = bounds_;
      maximized_ = true;
      minimized_ = false;
      visible_ = true;
      SetBoundsInternal(qel::CurrentBackend().WorkArea());
      break;
    case 9:
      minimized_ = false;
      if (maximized_) {
        maximized_ = false;
        SetBoundsInternal(restore_bounds_);
      }
      visible_ = true;
      break;
    default:
      visible_ = true;
      minimized_ = false;
      break;
  }
  if (visible_) qel::BringToFront(this);
  qel::CurrentBackend().WindowShown(this, cmd);
  return 1;
}

void CQelWindow::SetMinSize(int32_t w, int32_t h) {
  min_size_ = SIZE{std::max(w, 0), std::max(h, 0)};
  if (created_) SetBoundsInternal(bounds_);
}

void CQelWindow::SetBoundsInternal(SRect32 r) {
  if (r.right - r.left < min_size_.cx) r.right = r.left + min_size_.cx;
  if (r.bottom - r.top < min_size_.cy) r.bottom = r.top + min_size_.cy;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  SRect32 old = bounds_;
  bounds_ = r;
  bool resized = (old.right - old.left) != (r.right - r.left) || (old.bottom - old.top) != (r.bottom - r.top);
  bool moved = old.left != r.left || old.top != r.top;
  if (!resized && !moved) return;
  if (root_) root_->SetFrameSize(SIZE{r.right - r.left, r.bottom - r.top});
  if (!created_) return;
  qel::CurrentBackend().WindowBoundsChanged(this);
  bool handled = false;
  ProcessMessage(QEL_WM_SIZE, 0, 0, handled);
  if (moved && qel::IsWindowAlive(this)) {
    handled = false;
    ProcessMessage(QEL_WM_MOVE, 0, 0, handled);
  }
}

int32_t CQelWindow::MoveWindow(const SRect32* b) {
  if (!b) return QEL_E_POINTER;
  SetBoundsInternal(*b);
  return QEL_S_OK;
}

void CQelWindow::GetWindowRect(SRect32* out) const {
  if (out) *out = bounds_;
}

int32_t CQelWindow::RepositionWindow(int32_t kind) {
  SRect32 area = qel::CurrentBackend().WorkArea();
  if (kind == 1) {
    if (CQelWindow* p = FetchQelWindow(cs_.parent)) area = p->Bounds();
  }
  int32_t w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  int32_t x = area.left + ((area.right - area.left) - w) / 2;
  int32_t y = area.top + ((area.bottom - area.top) - h) / 2;
  SetBoundsInternal(SRect32{x, y, x + w, y + h});
  return QEL_S_OK;
}

void CQelWindow::SetTitle(const WCHAR* title) {
  title_ = title ? title : u"";
  if (created_) qel::CurrentBackend().WindowTitleChanged(this);
}

void CQelWindow::SetProperty(uint32_t creator, uint32_t tag, void* value) {
  properties_[(uint64_t(creator) << 32) | tag] = value;
}

void* CQelWindow::GetProperty(uint32_t creator, uint32_t tag) const {
  auto it = properties_.find((uint64_t(creator) << 32) | tag);
  return it == properties_.end() ? nullptr : it->second;
}

void CQelWindow::TimerProc(void* owner, uint32_t id, void*) {
  auto* w = static_cast<CQelWindow*>(owner);
  bool handled = false;
  w->ProcessMessage(QEL_WM_TIMER, id, 0, handled);
}

int32_t CQelWindow::SetTimer(uint32_t id, uint32_t first_ms, uint32_t interval_ms) {
  if (!created_) return QEL_E_FAIL;
  return QelInstallTimer(this, id, first_ms, interval_ms, &CQelWindow::TimerProc, nullptr);
}

bool CQelWindow::KillTimer(uint32_t id) { return QelRemoveTimer(this, id); }

int32_t CQelWindow::PostMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp) {
  return ::PostMessage(GetWindowRef(), msg, wp, lp);
}

intptr_t CQelWindow::SendMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp) {
  return ::SendMessage(GetWindowRef(), msg, wp, lp);
}

void CQelWindow::Invalidate() {
  if (created_) qel::CurrentBackend().Invalidate(this);
}

void CQelWindow::UpdateWindow() {
  if (created_ && visible_) qel::CurrentBackend().PaintNow(this);
}

bool QelIsModalInFront() {
  if (qel::FileChooserOpen()) return true;
  for (auto it = qel::g_order.rbegin(); it != qel::g_order.rend(); ++it) {
    CQelWindow* w = *it;
    if (!w->IsWindowVisible()) continue;
    if (auto* m = dynamic_cast<CQelModalWnd*>(w); m && m->InModal()) return true;
    return w->GetWindowClass() < 5;
  }
  return false;
}
