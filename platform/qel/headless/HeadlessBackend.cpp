// The headless backend: windows exist only as element trees with bounds;
// modal loops are answered from the test API's queue.
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "HeadlessBackend.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"

namespace qel {

namespace headless {

std::deque<ModalAnswer>& ModalAnswers() {
  static std::deque<ModalAnswer> answers;
  return answers;
}

std::deque<FileChooserResult>& FileChooserAnswers() {
  static std::deque<FileChooserResult> answers;
  return answers;
}

std::vector<FileChooserRequest>& FileChooserLog() {
  static std::vector<FileChooserRequest> log;
  return log;
}

void ApplyAnswer(CQelModalWnd* w, const ModalAnswer& a) {
  if (!CQelWindow::FetchQelWindow(w) || !w->InModal()) return;
  switch (a.kind) {
    case ModalAnswer::kButton:
      if (!Click(w, a.button.c_str())) {
        std::fprintf(stderr, "qel headless: no enabled \"%s\" in the modal window; cancelled\n",
                     a.button.c_str());
        w->EndModal(CQelModalWnd::kResultCancel);
      }
      break;
    case ModalAnswer::kKey:
      PressKey(w, a.key);
      break;
    case ModalAnswer::kResult:
      w->EndModal(a.result);
      break;
    case ModalAnswer::kAction:
      if (a.action) a.action(w);
      if (!a.button.empty() && CQelWindow::FetchQelWindow(w) && w->InModal() && !w->ModalEnding() &&
          !Click(w, a.button.c_str())) {
        std::fprintf(stderr, "qel headless: no enabled \"%s\" in the modal window; cancelled\n", a.button.c_str());
        w->EndModal(CQelModalWnd::kResultCancel);
      }
      break;
  }
}

}  // namespace headless

namespace {

class HeadlessBackend : public Backend {
 public:
  const char* Name() const override { return "headless"; }
  void WindowCreated(CQelWindow*) override {}
  void WindowDestroyed(CQelWindow*) override {}
  void WindowShown(CQelWindow*, int32_t) override {}
  void WindowBoundsChanged(CQelWindow*) override {}
  void WindowTitleChanged(CQelWindow*) override {}
  void Invalidate(CQelWindow*) override {}
  void ModalStarted(CQelWindow* w) override {
    auto& answers = headless::ModalAnswers();
    if (answers.empty()) return;
    headless::ModalAnswer a = answers.front();
    answers.pop_front();
    auto* modal = static_cast<CQelModalWnd*>(w);
    // Through the loop, as a user would answer once the dialog is up.
    RunOnMain([modal, a] { headless::ApplyAnswer(modal, a); });
  }
  FileChooserResult RunFileChooser(const FileChooserRequest& request) override {
    headless::FileChooserLog().push_back(request);
    auto& answers = headless::FileChooserAnswers();
    if (answers.empty()) {
      std::fprintf(stderr, "qel headless: no answer scripted for a file chooser; cancelled\n");
      return {};
    }
    FileChooserResult r = answers.front();
    answers.pop_front();
    if (r.chosen && r.filter < 0) r.filter = request.filters.empty() ? -1 : request.selectedFilter;
    return r;
  }
  SRect32 ScreenBounds() override { return SRect32{0, 0, 1440, 900}; }
  SRect32 WorkArea() override { return SRect32{0, 22, 1440, 900}; }
  bool AnimationsEndAtOnce() const override { return true; }
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace qel
