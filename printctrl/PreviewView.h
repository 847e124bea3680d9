#pragma once
// The element the preview draws in ("cata_printpreview1"): it fills the
// control's element, paints the paper under its children (the copy
// buttons) and hands pointer input and keys to the preview. The preview
// detaches itself when it goes; the element may outlive it for as long as
// the toolkit holds it (a press in progress), and then does nothing.
#include "qel/QelElement.h"

class CPrintPreview;

class CPreviewView : public qel::Element {
 public:
  CPreviewView();
  void Attach(CPrintPreview* preview) { preview_ = preview; }
  CPrintPreview* Preview() const { return preview_; }

  bool TakePointer(const qel::PointerInput& in) override;
  bool TakeKey(uint32_t key, bool down) override;
  bool ClipsChildren() const override { return true; }
  void LaidOut() override;

 private:
  ~CPreviewView() override = default;
  CPrintPreview* preview_ = nullptr;
  SRect32 last_{0, 0, 0, 0};
};

// The first child of the view: draws the paper (under the buttons).
class CPreviewSheet : public qel::Element {
 public:
  explicit CPreviewSheet(CPreviewView* view);
  void PaintOver(cairo_t* cr) override;

 private:
  ~CPreviewSheet() override = default;
  CPreviewView* view_;  // the parent; the sheet lives inside it
};
