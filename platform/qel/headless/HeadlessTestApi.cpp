#include <cairo.h>
#include <glib.h>

#include "HeadlessBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelPaint.h"
#include "qel/QelTimer.h"

namespace qel {
intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp);
}

namespace qel::headless {

CQelWindow* FrontWindow() {
  std::vector<CQelWindow*> ws = QelWindows();
  for (auto it = ws.rbegin(); it != ws.rend(); ++it) {
    if ((*it)->IsWindowVisible()) return *it;
  }
  return ws.empty() ? nullptr : ws.back();
}

Element* FindElement(CQelWindow* window, const char* name) {
  if (!name) return nullptr;
  auto look = [name](CQelWindow* w) -> Element* {
    Element* root = w ? w->Root() : nullptr;
    if (!root) return nullptr;
    return NamesEqual(root->Name(), name) ? root : root->FindByName(name, true);
  };
  if (window) return look(window);
  std::vector<CQelWindow*> ws = QelWindows();
  for (auto it = ws.rbegin(); it != ws.rend(); ++it) {
    if (Element* e = look(*it)) return e;
  }
  return nullptr;
}

bool Click(CQelWindow* window, const char* name) {
  Element* e = FindElement(window, name);
  return e && e->Click();
}

bool TypeText(CQelWindow* window, const char* name, const std::u16string& text) {
  Element* e = FindElement(window, name);
  return e && e->TypeText(text);
}

bool SelectItem(CQelWindow* window, const char* name, int32_t index) {
  Element* e = FindElement(window, name);
  return e && e->UserSelect(index);
}

bool MoveSlider(CQelWindow* window, const char* name, int32_t pos) {
  Element* e = FindElement(window, name);
  return e && e->UserScroll(pos);
}

bool PressKey(CQelWindow* window, uint32_t key) {
  CQelWindow* w = window ? window : FrontWindow();
  if (!CQelWindow::FetchQelWindow(w)) return false;
  DispatchWindowMessage(w, QEL_WM_KEYDOWN, key, 0);
  if (CQelWindow::FetchQelWindow(w)) DispatchWindowMessage(w, QEL_WM_KEYUP, key, 0);
  return true;
}

void AnswerNextModal(const char* button_name) {
  ModalAnswer a;
  a.kind = ModalAnswer::kButton;
  a.button = button_name ? button_name : "";
  ModalAnswers().push_back(a);
}

void AnswerNextModalKey(uint32_t key) {
  ModalAnswer a;
  a.kind = ModalAnswer::kKey;
  a.key = key;
  ModalAnswers().push_back(a);
}

void AnswerNextModalWith(int32_t result) {
  ModalAnswer a;
  a.kind = ModalAnswer::kResult;
  a.result = result;
  ModalAnswers().push_back(a);
}

void AnswerNextModalBy(std::function<void(CQelWindow*)> action, const char* button_name) {
  ModalAnswer a;
  a.kind = ModalAnswer::kAction;
  a.action = std::move(action);
  a.button = button_name ? button_name : "";
  ModalAnswers().push_back(a);
}

size_t PendingModalAnswers() { return ModalAnswers().size(); }

void ClearModalAnswers() { ModalAnswers().clear(); }

void AnswerNextFileChooser(const std::vector<std::string>& paths, int32_t filter) {
  FileChooserResult r;
  r.chosen = true;
  r.paths = paths;
  r.filter = filter;
  FileChooserAnswers().push_back(r);
}

void CancelNextFileChooser() { FileChooserAnswers().push_back(FileChooserResult{}); }

std::vector<FileChooserRequest> FileChooserRequests() { return FileChooserLog(); }

void ClearFileChoosers() {
  FileChooserAnswers().clear();
  FileChooserLog().clear();
}

ElementState Read(CQelWindow* window, const char* name) {
  ElementState s;
  Element* e = FindElement(window, name);
  if (!e) return s;
  s.found = true;
  s.visible = e->EffectivelyVisible();
  s.enabled = e->EffectivelyEnabled();
  s.text = e->Text();
  s.check = e->Check();
  s.selection = e->Selection();
  s.scroll_pos = e->Scroll().pos;
  return s;
}

bool RenderPng(CQelWindow* window, const std::string& path) {
  if (!window || !window->Root()) return false;
  SIZE size = window->Root()->LaidOutSize();
  if (size.cx <= 0 || size.cy <= 0) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx, size.cy);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
  cairo_paint(cr);
  PaintTree(cr, window->Root());
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

void PumpUntilIdle() {
  GMainContext* ctx = g_main_context_default();
  for (int rounds = 0; rounds < 100000; ++rounds) {
    if (ManualClock()) AdvanceClock(0);
    if (!g_main_context_iteration(ctx, FALSE)) {
      if (!ManualClock()) break;
      AdvanceClock(0);
      if (!g_main_context_pending(ctx)) break;
    }
  }
}

void UseManualClock(bool on) { qel::UseManualClock(on); }

void Advance(uint32_t ms) {
  qel::AdvanceClock(ms);
  PumpUntilIdle();
}

}  // namespace qel::headless
