#include "PreviewView.h"

#include "PrintPreview.h"
#include "qel/QelCore.h"

CPreviewView::CPreviewView() : qel::Element(QelFourCC("cata"), "cata_printpreview1") {
  SetWidthMethod(qel::kSizeFill);
  SetHeightMethod(qel::kSizeFill);
  SetBackground(0xff1b1b1eu);
}

bool CPreviewView::TakePointer(const qel::PointerInput& in) {
  if (!preview_) return in.kind == qel::PointerInput::kUp || in.kind == qel::PointerInput::kMove;
  // A press on one of the buttons inside is theirs (a click).
  if (in.kind == qel::PointerInput::kDown || in.kind == qel::PointerInput::kDouble) {
    qel::Element* hit = Root() ? Root()->ElementAt(in.at) : nullptr;
    if (hit && hit != this && dynamic_cast<CPreviewSheet*>(hit) == nullptr) return false;
  }
  return preview_->OnPointer(in);
}

bool CPreviewView::TakeKey(uint32_t key, bool down) { return preview_ ? preview_->OnKey(key, down) : false; }

void CPreviewView::LaidOut() {
  const SRect32 b = Bounds();
  if (b.left == last_.left && b.top == last_.top && b.right == last_.right && b.bottom == last_.bottom) return;
  last_ = b;
  if (preview_) preview_->OnLayout();
}

CPreviewSheet::CPreviewSheet(CPreviewView* view) : qel::Element(QelFourCC("cata"), "cata_papersheet"), view_(view) {
  SetWidthMethod(qel::kSizeFill);
  SetHeightMethod(qel::kSizeFill);
  Enable(false);  // clicks fall through to the view
}

void CPreviewSheet::PaintOver(cairo_t* cr) {
  if (view_ && view_->Preview()) view_->Preview()->Paint(cr);
}
