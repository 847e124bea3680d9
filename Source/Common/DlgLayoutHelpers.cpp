#include "DlgLayoutHelpers.h"

#include <algorithm>

#include "qel/QelCore.h"
#include "qel/QelPaint.h"

namespace dlg {

qel::Element* Find(qel::Element* root, const char* name) {
  if (!root || !name) return nullptr;
  return qel::NamesEqual(root->Name(), name) ? root : root->FindByName(name, true);
}

void Show(qel::Element* root, const char* name, bool on) {
  if (qel::Element* e = Find(root, name)) e->Show(on);
}

void SetText(qel::Element* root, const char* name, const std::u16string& text) {
  if (qel::Element* e = Find(root, name)) e->SetText(text);
}

int32_t TextHeight(qel::Element* e) {
  if (!e || e->Text().empty()) return 0;
  return qel::MeasureText(e->Text(), e->FontSize(), e->LaidOutSize().cx).cy;
}

double DisplayRatio() {
  double ratio = 0.0;
  if (Qel0GetEngineConfig(QEL_ENGINE_DISPLAY_RATIO, &ratio) != QEL_S_OK || !(ratio > 0.0)) ratio = 1.0;
  return ratio;
}

void AlignButtonsRight(qel::Element* row, int32_t gap, int32_t padding) {
  if (!row) return;
  row->LayoutNow();
  const int32_t width = row->LaidOutSize().cx;
  int32_t used = 0;
  qel::Element* first = nullptr;
  for (qel::Element* c : row->Children()) {
    SRect32 m = c->Margin();
    m.left = gap;
    c->SetMargin(m);
    if (!c->Visible()) continue;
    if (!first) first = c;
    used += (c == first ? 0 : gap) + c->FrameSize().cx;
  }
  if (!first) return;
  SRect32 m = first->Margin();
  m.left = std::max(0, width - padding - used);
  first->SetMargin(m);
}

void GrowContent(qel::Element* root, const char* name, int32_t delta) {
  qel::Element* content = root ? root->FindByName(name, false) : nullptr;
  if (!content || delta == 0) return;
  const int32_t top = content->Margin().top;
  SIZE size = content->FrameSize();
  size.cy = std::max(0, size.cy + delta);
  content->SetFrameSize(size);
  for (qel::Element* c : root->Children()) {
    if (c == content || c->Margin().top <= top) continue;
    SRect32 m = c->Margin();
    m.top += delta;
    c->SetMargin(m);
  }
}

}  // namespace dlg
