#include "qel/QelElement.h"

#include <glib.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "qel/QelElementLayers.h"
#include "qel/QelPaint.h"
#include "qel/QelTimer.h"

namespace qel {

void InvalidateHostWindow(CQelWindow* w);  // app area
void InvalidateHostRect(CQelWindow* w, const SRect32& r);

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (g_ascii_tolower(a[i]) != g_ascii_tolower(b[i])) return false;
  }
  return true;
}

std::u16string ToU16(std::string_view utf8) {
  glong n = 0;
  gunichar2* u = g_utf8_to_utf16(utf8.data(), glong(utf8.size()), nullptr, &n, nullptr);
  if (!u) return {};
  std::u16string out(reinterpret_cast<const char16_t*>(u), size_t(n));
  g_free(u);
  return out;
}

std::string ToU8(std::u16string_view text) {
  glong n = 0;
  gchar* s = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()), glong(text.size()),
                             nullptr, &n, nullptr);
  if (!s) return {};
  std::string out(s, size_t(n));
  g_free(s);
  return out;
}

Element::Element(uint32_t kind, std::string name) : Object(kind), name_(std::move(name)) {}

Element::~Element() {
  StopRepeat();
  if (layers_) layers_->Release();
  for (Element* c : children_) {
    c->parent_ = nullptr;
    c->Release();
  }
}

ElementLayers* Element::Layers(bool create) {
  if (!layers_ && create) layers_ = new ElementLayers(this);
  return layers_;
}

Element* Element::From(QelObject h) {
  Object* o = Object::FromHandle(h);
  return dynamic_cast<Element*>(o);
}

std::string Element::ClassName() const {
  uint32_t k = Kind();
  return std::string{char(k >> 24), char(k >> 16), char(k >> 8), char(k)};
}

bool Element::PutInside(Element* panel, Element* before) {
  for (Element* p = panel; p; p = p->parent_) {
    if (p == this) return false;  // never inside itself
  }
  if (before && before->parent_ != panel) before = nullptr;
  Retain();  // keep alive while moving
  if (parent_) {
    Element* old = parent_;
    old->RemoveChild(this);
    old->MarkLayoutDirty();
  }
  if (panel) {
    auto at = before ? std::find(panel->children_.begin(), panel->children_.end(), before)
                     : panel->children_.end();
    panel->children_.insert(at, this);
    parent_ = panel;
    Retain();
    panel->MarkLayoutDirty();
  }
  Release();
  return true;
}

void Element::RemoveChild(Element* child) {
  auto it = std::find(children_.begin(), children_.end(), child);
  if (it == children_.end()) return;
  children_.erase(it);
  child->parent_ = nullptr;
  child->Release();
}

Element* Element::Root() {
  Element* e = this;
  while (e->parent_) e = e->parent_;
  return e;
}

Element* Element::FindByName(std::string_view name, bool deep) {
  for (Element* c : children_) {
    if (NamesEqual(c->name_, name)) return c;
  }
  if (deep) {
    for (Element* c : children_) {
      if (Element* f = c->FindByName(name, true)) return f;
    }
  }
  return nullptr;
}

Element* Element::ElementAt(POINT p) {
  if (!visible_) return nullptr;
  SRect32 r = Bounds();
  if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) return nullptr;
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (Element* hit = (*it)->ElementAt(p)) return hit;
  }
  return this;
}

CQelWindow* Element::HostWindow() { return Root()->host_; }

void Element::Invalidate() {
  CQelWindow* w = HostWindow();
  if (!w) return;
  Element* root = Root();
  // A layout to come may move anything: the whole window then.
  if (root == this || root->layout_dirty_) {
    InvalidateHostWindow(w);
    return;
  }
  const SRect32& r = rect_;
  InvalidateHostRect(w, SRect32{r.left - kPaintSlack, r.top - kPaintSlack, r.right + kPaintSlack,
                                r.bottom + kPaintSlack});
}

void Element::Show(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  MarkLayoutDirty();
  VisibilityChanged();
}

void Element::Enable(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  Invalidate();
}

bool Element::EffectivelyVisible() const {
  for (const Element* e = this; e; e = e->parent_) {
    if (!e->visible_) return false;
  }
  return true;
}

bool Element::EffectivelyEnabled() const {
  for (const Element* e = this; e; e = e->parent_) {
    if (!e->enabled_) return false;
  }
  return true;
}

void Element::SetMargin(const SRect32& m) {
  margin_ = m;
  MarkLayoutDirty();
}

void Element::SetFrameSize(SIZE s) {
  size_ = s;
  MarkLayoutDirty();
}

void Element::SetWidthMethod(uint32_t m) {
  wmethod_ = m;
  MarkLayoutDirty();
}

void Element::SetHeightMethod(uint32_t m) {
  hmethod_ = m;
  MarkLayoutDirty();
}

void Element::SetFlow(uint32_t f) {
  flow_ = f;
  MarkLayoutDirty();
}

void Element::MarkLayoutDirty() {
  Root()->layout_dirty_ = true;
  Invalidate();
}

SRect32 Element::Bounds() {
  if (Root()->layout_dirty_) LayoutNow();
  return rect_;
}

SIZE Element::LaidOutSize() {
  SRect32 r = Bounds();
  return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT Element::Position() {
  SRect32 r = Bounds();
  return POINT{r.left, r.top};
}

void Element::SetText(std::u16string t) {
  // Read-outs are set on every tick: the same text draws nothing again.
  if (t == text_) return;
  text_ = std::move(t);
  if (hmethod_ == kSizeText) MarkLayoutDirty();
  else Invalidate();
}

void Element::SetCheck(int32_t state) {
  if (state == check_) return;
  check_ = state;
  Invalidate();
}

void Element::SetScrollPos(int32_t pos) {
  // The last position shows the last page; worked out in 64 bits, as a page
  // may be larger than the whole range.
  int64_t hi = int64_t(scroll_.max) - std::max<int64_t>(int64_t(scroll_.page) - 1, 0);
  if (hi < scroll_.min) hi = scroll_.min;
  const int32_t was = scroll_.pos;
  scroll_.pos = int32_t(std::clamp<int64_t>(pos, scroll_.min, hi));
  if (scroll_.pos != was) Invalidate();
}

void Element::SetScrollRange(int32_t min, int32_t max) {
  scroll_.min = min;
  scroll_.max = std::max(min, max);
  SetScrollPos(scroll_.pos);
  Invalidate();
}

void Element::SetScrollPage(int32_t page) {
  scroll_.page = std::max(page, 0);
  SetScrollPos(scroll_.pos);
  Invalidate();
}

bool Element::SetSelection(int32_t index) {
  if (index < -1 || index >= int32_t(items_.size())) return false;
  sel_ = index;
  Invalidate();
  return true;
}

int32_t Element::AddItem(std::u16string text) {
  items_.push_back(ComboItem{std::move(text), nullptr, {}});
  return int32_t(items_.size()) - 1;
}

int32_t Element::FindItem(int32_t after, std::u16string_view text) const {
  // Prefix match ignoring ASCII case, starting after `after` and wrapping.
  auto lower = [](char16_t c) { return c < 128 ? char16_t(g_ascii_tolower(char(c))) : c; };
  int32_t n = int32_t(items_.size());
  for (int32_t k = 1; k <= n; ++k) {
    int32_t i = ((after < -1 ? -1 : after) + k) % n;
    if (i < 0) i += n;
    const std::u16string& t = items_[size_t(i)].text;
    if (t.size() < text.size()) continue;
    bool same = true;
    for (size_t j = 0; j < text.size() && same; ++j) same = lower(t[j]) == lower(text[j]);
    if (same) return i;
  }
  return -1;
}

void Element::SetCallback(QELCALLBACK cb, void* data) {
  callback_ = cb;
  callback_data_ = cb ? data : nullptr;
}

int32_t Element::Fire(int32_t event, QELLPARAM param) {
  if (!callback_) return 0;
  Retain();  // a callback may take the element out of its tree
  int32_t r = callback_(Handle(), event, param, callback_data_);
  Release();
  return r;
}

void Element::StartRepeat(int32_t ms) {
  StopRepeat();
  repeating_ = true;
  uint32_t every = ms > 0 ? uint32_t(ms) : 100u;
  QelInstallTimer(this, 39, every, every,
                  [](void* owner, uint32_t, void*) {
                    static_cast<Element*>(owner)->Fire(QEL_EV_REPEAT, 0);
                  },
                  nullptr);
}

void Element::StopRepeat() {
  if (!repeating_) return;
  repeating_ = false;
  QelRemoveTimer(this, 39);
}

bool Element::Click() {
  if (!EffectivelyVisible() || !EffectivelyEnabled()) return false;
  Retain();
  std::string cls = ClassName();
  if (cls == "chck") {
    SetCheck(check_ ? 0 : 1);
  } else if (cls == "rado") {
    if (parent_) {
      for (Element* s : parent_->children_) {
        if (s != this && s->ClassName() == "rado") s->SetCheck(0);
      }
    }
    SetCheck(1);
  }
  if (cls == "mece") {
    Fire(QEL_EV_MENU_COMMAND, menu_id_);
  } else {
    Fire(QEL_EV_CLICK, 0);
    if (cls == "rado" && parent_ && parent_->ClassName() == "radg") {
      parent_->Fire(QEL_EV_RADIO_ON, reinterpret_cast<QELLPARAM>(Handle()));
    }
  }
  Release();
  return true;
}

bool Element::TypeText(std::u16string_view text) {
  if (!EffectivelyVisible() || !EffectivelyEnabled()) return false;
  std::u16string t(text);
  if (text_limit_ > 0 && t.size() > text_limit_) t.resize(text_limit_);
  SetText(std::move(t));
  Fire(QEL_EV_EDIT_CHANGED, 0);
  return true;
}

bool Element::UserSelect(int32_t index) {
  if (!EffectivelyVisible() || !EffectivelyEnabled()) return false;
  if (index < 0 || index >= int32_t(items_.size())) return false;
  SetSelection(index);
  Fire(QEL_EV_SEL_CHANGE, index);
  Fire(QEL_EV_SEL_CHANGE2, index);
  return true;
}

bool Element::TakePointer(const PointerInput& in) {
  if (!pointer_events_ || !callback_) return false;
  int32_t event;
  switch (in.kind) {
    case PointerInput::kDown: event = 0x40000002; break;
    case PointerInput::kMove: event = 0x40000001; break;
    case PointerInput::kUp: event = 0x40000003; break;
    default: return false;
  }
  if (in.kind != PointerInput::kMove && in.button != 1) return false;
  auto packed = QELLPARAM((uint32_t(uint16_t(in.at.x)) | (uint32_t(uint16_t(in.at.y)) << 16)));
  Fire(event, packed);
  return true;
}

bool Element::UserScroll(int32_t pos) {
  if (!EffectivelyVisible() || !EffectivelyEnabled()) return false;
  SetScrollPos(pos);
  Fire(QEL_EV_SLIDER_BEGIN, scroll_.pos);
  Fire(QEL_EV_SLIDER_CHANGE, scroll_.pos);
  Fire(QEL_EV_SLIDER_TRACK, scroll_.pos);
  Fire(QEL_EV_SLIDER_END, scroll_.pos);
  return true;
}

Object* Element::Copy() const {
  Element* c = CreateElement(Kind(), name_);
  CopyStateTo(c, true);
  return c;
}

void Element::CopyStateTo(Element* c, bool withChildren) const {
  c->visible_ = visible_;
  c->enabled_ = enabled_;
  c->margin_ = margin_;
  c->size_ = size_;
  c->wmethod_ = wmethod_;
  c->hmethod_ = hmethod_;
  c->flow_ = flow_;
  c->anchor_ = anchor_;
  c->text_ = text_;
  c->check_ = check_;
  c->tips_ = tips_;
  c->cursor_ = cursor_;
  c->image_ = image_;
  c->bg_ = bg_;
  c->fg_ = fg_;
  c->font_size_ = font_size_;
  c->opacity_ = opacity_;
  c->menu_id_ = menu_id_;
  c->text_limit_ = text_limit_;
  c->scroll_ = scroll_;
  c->items_ = items_;
  c->sel_ = sel_;
  c->item_tips_ = item_tips_;
  c->clip_ = clip_;
  c->pointer_events_ = pointer_events_;
  c->associate_first = associate_first;
  c->associate_second = associate_second;
  c->callback_ = callback_;
  c->callback_data_ = callback_data_;
  if (!withChildren) return;
  for (Element* child : children_) {
    auto* cc = static_cast<Element*>(child->Copy());
    cc->PutInside(c, nullptr);
    cc->Release();
  }
}

namespace {
std::mutex g_classes_lock;
std::map<uint32_t, ElementFactory>& Classes() {
  static std::map<uint32_t, ElementFactory> classes;
  return classes;
}
}  // namespace

void RegisterElementClass(uint32_t kind, ElementFactory factory) {
  std::lock_guard<std::mutex> lock(g_classes_lock);
  if (factory) Classes()[kind] = factory;
  else Classes().erase(kind);  // the class's library is going away
}

Element* CreateElement(uint32_t kind, std::string name) {
  ElementFactory factory = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_classes_lock);
    auto it = Classes().find(kind);
    if (it != Classes().end()) factory = it->second;
  }
  if (factory) {
    if (Element* e = factory(kind, name)) return e;
  }
  return new Element(kind, std::move(name));
}

}  // namespace qel
