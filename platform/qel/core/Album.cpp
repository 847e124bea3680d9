// The album element: a virtual grid whose item panels exist only while in
// view. Positions are arithmetic on the cell size, so the cost of a scroll
// or a redraw follows the number of visible cells, not of items.
#include "qel/QelAlbum.h"

#include <glib.h>

#include <algorithm>
#include <cairo.h>

namespace qel {

namespace {
constexpr int32_t kBar = 10;  // scroll bar thickness
constexpr uint32_t kKeyPageUp = 11, kKeyPageDown = 12, kKeyLeft = 28, kKeyRight = 29, kKeyUp = 30,
                   kKeyDown = 31;

Element* MakeAlbum(uint32_t, std::string name) { return new Album(std::move(name)); }

struct Registrar {
  Registrar() { RegisterElementClass(kAlbumClass, &MakeAlbum); }
} g_registrar;
}  // namespace

Album::Album(std::string name) : Element(kAlbumClass, std::move(name)) {}

Album::~Album() {
  for (Item& item : items_) item.panel = nullptr;  // the children go with the element
  if (template_) template_->Release();
}

Object* Album::Copy() const {
  auto* c = new Album(Name());
  CopyStateTo(c, false);  // the item panels stay with this album
  if (template_) c->template_ = static_cast<Element*>(template_->Copy());
  c->cell_ = cell_;
  c->min_layout_ = min_layout_;
  c->max_layout_ = max_layout_;
  c->horizontal_ = horizontal_;
  c->single_ = single_;
  c->keys_ = keys_;
  c->scroll_state_[0] = scroll_state_[0];
  c->scroll_state_[1] = scroll_state_[1];
  c->image_mode_ = image_mode_;
  return c;
}

// ---- items ----

int32_t Album::Insert(int32_t at, void* data) {
  int32_t n = Count();
  if (at < 0 || at > n) at = n;
  items_.insert(items_.begin() + at, Item{data, false, nullptr});
  if (current_ >= at) ++current_;
  if (anchor_ >= at) ++anchor_;
  ScheduleSync();
  return at;
}

bool Album::Delete(int32_t index) {
  if (index < 0 || index >= Count()) return false;
  Item& item = items_[size_t(index)];
  DropPanel(item);
  if (item.selected) --selected_;
  items_.erase(items_.begin() + index);
  if (anchor_ > index) --anchor_;
  else if (anchor_ == index) anchor_ = -1;
  if (current_ > index) {
    --current_;
  } else if (current_ == index) {
    // The item after it (or the new last one) takes its place.
    current_ = std::min(index, Count() - 1);
    if (current_ >= 0) {
      if (single_) Select(current_, true, true);
      Notify(kAlbumCurrentChanged, current_, 1);
    }
  }
  ScheduleSync();
  return true;
}

void Album::Reset() {
  for (Item& item : items_) DropPanel(item);
  items_.clear();
  current_ = anchor_ = -1;
  selected_ = 0;
  offset_ = 0;
  Invalidate();
}

void* Album::Data(int32_t index) const {
  return index >= 0 && index < Count() ? items_[size_t(index)].data : nullptr;
}

Element* Album::ItemPanel(int32_t index) {
  return index >= 0 && index < Count() ? items_[size_t(index)].panel : nullptr;
}

// ---- settings ----

void Album::SetCellSize(int32_t width, int32_t height) {
  cell_ = SIZE{std::max(width, 1), std::max(height, 1)};
  ScheduleSync();
}

void Album::SetTemplate(Element* panel) {
  if (template_) template_->Release();
  template_ = panel ? static_cast<Element*>(panel->Copy()) : nullptr;
  // Panels of the old template are made anew.
  for (Item& item : items_) DropPanel(item);
  ScheduleSync();
}

void Album::SetLayoutRange(int32_t min, int32_t max) {
  min_layout_ = std::max(min, 1);
  max_layout_ = std::max(max, min_layout_);
  ScheduleSync();
}

void Album::SetHorizontal(bool on) {
  horizontal_ = on;
  offset_ = 0;
  ScheduleSync();
}

void Album::SetScrollBarState(bool horizontal, int32_t state) {
  scroll_state_[horizontal ? 0 : 1] = state;
  ScheduleSync();
}

// ---- selection and the current item ----

bool Album::IsSelected(int32_t index) const {
  return index >= 0 && index < Count() && items_[size_t(index)].selected;
}

std::vector<int32_t> Album::SelectedIndexes(size_t max) const {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < Count() && out.size() < max && int32_t(out.size()) < selected_; ++i) {
    if (items_[size_t(i)].selected) out.push_back(i);
  }
  return out;
}

bool Album::Select(int32_t index, bool select, bool only) {
  if (index < -1 || index >= Count()) return false;
  if (index >= 0 && select && single_) only = true;
  if (index == -1 && select && single_) return false;
  bool others = false;
  if (index == -1 || only) {
    for (int32_t i = 0; i < Count(); ++i) {
      if (i == index) continue;
      Item& item = items_[size_t(i)];
      bool want = index == -1 ? select : false;
      if (item.selected != want) {
        item.selected = want;
        selected_ += want ? 1 : -1;
        others = true;
      }
    }
  }
  // Many items at once are told as one change of every item.
  if (others) Notify(kAlbumSelectChanged, -1, index == -1 ? int32_t(select) : 0);
  if (index >= 0 && index < Count()) {
    Item& item = items_[size_t(index)];
    if (item.selected != select) {
      item.selected = select;
      selected_ += select ? 1 : -1;
      Notify(kAlbumSelectChanged, index, int32_t(select));
    }
  }
  Invalidate();
  return true;
}

bool Album::SetCurrent(int32_t index) {
  if (index < -1 || index >= Count()) return false;
  anchor_ = index;
  if (index == current_) return true;
  int32_t old = current_;
  current_ = index;
  if (old >= 0 && old < Count()) Notify(kAlbumCurrentChanged, old, 0);
  if (index >= 0 && index == current_) Notify(kAlbumCurrentChanged, index, 1);
  Invalidate();
  return true;
}

// ---- geometry ----

Album::Geometry Album::Measure() {
  Geometry g;
  SRect32 b = Bounds();
  int32_t width = b.right - b.left, height = b.bottom - b.top;
  int32_t cross_cell = horizontal_ ? cell_.cx : cell_.cy;
  g.along = horizontal_ ? cell_.cy : cell_.cx;
  int32_t n = Count();
  auto lay = [&](int32_t cross) {
    g.per_line = std::clamp(cross / std::max(cross_cell, 1), min_layout_, max_layout_);
    g.lines = (n + g.per_line - 1) / g.per_line;
    g.extent = g.lines * g.along;
  };
  g.view = b;
  g.view_along = horizontal_ ? height : width;
  lay(horizontal_ ? width : height);
  bool bar = scroll_state_[horizontal_ ? 1 : 0] != 0 && g.extent > g.view_along;
  if (bar) {
    if (horizontal_) g.view.right -= kBar;
    else g.view.bottom -= kBar;
    lay(horizontal_ ? width - kBar : height - kBar);
  }
  return g;
}

int32_t Album::PerLine() { return Measure().per_line; }

POINT Album::CellOf(int32_t index) {
  int32_t per = PerLine();
  int32_t line = index / per, at = index % per;
  return horizontal_ ? POINT{at, line} : POINT{line, at};
}

int32_t Album::IndexOfCell(POINT cr) {
  int32_t per = PerLine();
  int32_t line = horizontal_ ? cr.y : cr.x, at = horizontal_ ? cr.x : cr.y;
  if (line < 0 || at < 0 || at >= per) return -1;
  int64_t index = int64_t(line) * per + at;
  return index < Count() ? int32_t(index) : -1;
}

int32_t Album::IndexAt(POINT p) {
  Geometry g = Measure();
  SRect32 b = Bounds();
  if (p.x < 0 || p.y < 0 || p.x >= g.view.right - b.left || p.y >= g.view.bottom - b.top) return -1;
  int32_t x = p.x, y = p.y;
  if (horizontal_) y += offset_;
  else x += offset_;
  return IndexOfCell(POINT{x / std::max(cell_.cx, 1), y / std::max(cell_.cy, 1)});
}

bool Album::VisibleCells(POINT* first, POINT* last) {
  Geometry g = Measure();
  if (Count() == 0 || g.view_along <= 0) return false;
  int32_t lo = (offset_ / g.along) * g.per_line;
  int32_t hi = std::min(Count(), ((offset_ + g.view_along - 1) / g.along + 1) * g.per_line);
  if (lo >= hi) return false;
  if (first) *first = CellOf(lo);
  if (last) *last = CellOf(hi - 1);
  return true;
}

bool Album::IsDisplayed(int32_t index) { return ItemPanel(index) != nullptr; }

int32_t Album::MaxScrollOffset() {
  Geometry g = Measure();
  return std::max(0, g.extent - g.view_along);
}

void Album::SetScrollOffset(int32_t pixels) {
  int32_t to = std::clamp(pixels, 0, MaxScrollOffset());
  if (to == offset_) return;
  offset_ = to;
  Geometry g = Measure();
  for (int32_t i = 0; i < Count(); ++i) {
    if (items_[size_t(i)].panel) PlacePanel(i, g);
  }
  ScheduleSync();
  Invalidate();
}

void Album::ScrollToItem(int32_t index) {
  if (index < 0 || index >= Count()) return;
  Geometry g = Measure();
  POINT cr = CellOf(index);
  int32_t top = (horizontal_ ? cr.y : cr.x) * g.along;
  if (top < offset_) SetScrollOffset(top);
  else if (top + g.along > offset_ + g.view_along) SetScrollOffset(top + g.along - g.view_along);
}

// ---- item panels ----

void Album::Notify(int32_t event, int32_t index, int32_t flag) {
  QelAlbumItemNotify record{index, flag};
  Fire(event, reinterpret_cast<QELLPARAM>(&record));
}

void Album::DropPanel(Item& item) {
  if (!item.panel) return;
  Element* panel = item.panel;
  item.panel = nullptr;
  panel->PutInside(nullptr, nullptr);  // the album's reference goes
}

void Album::PlacePanel(int32_t index, const Geometry& g) {
  Element* panel = items_[size_t(index)].panel;
  int32_t line = index / g.per_line, at = index % g.per_line;
  int32_t x = horizontal_ ? at * cell_.cx : line * cell_.cx - offset_;
  int32_t y = horizontal_ ? line * cell_.cy - offset_ : at * cell_.cy;
  SRect32 m = panel->Margin();
  if (m.left != x || m.top != y) panel->SetMargin(SRect32{x, y, 0, 0});
}

void Album::ScheduleSync() {
  Invalidate();
  if (sync_pending_) return;
  sync_pending_ = true;
  Retain();
  // Before the display backend redraws (its priority is lower).
  sync_source_ = g_idle_add_full(G_PRIORITY_HIGH_IDLE, reinterpret_cast<GSourceFunc>(&Album::OnIdleSync), this,
                                 nullptr);
}

int Album::OnIdleSync(void* self) {
  auto* album = static_cast<Album*>(self);
  album->sync_pending_ = false;
  album->sync_source_ = 0;
  album->SyncNow();
  album->Release();
  return G_SOURCE_REMOVE;
}

void Album::SyncNow() {
  if (syncing_) {
    ScheduleSync();  // a callback changed the album: once more afterwards
    return;
  }
  syncing_ = true;
  Retain();
  bool shown = template_ && EffectivelyVisible() && HostWindow();
  Geometry g = Measure();
  offset_ = std::clamp(offset_, 0, std::max(0, g.extent - g.view_along));
  int32_t lo = 0, hi = 0;
  if (shown && Count() > 0 && g.view_along > 0) {
    lo = (offset_ / g.along) * g.per_line;
    hi = std::min(Count(), ((offset_ + g.view_along - 1) / g.along + 1) * g.per_line);
  }
  // Callbacks may insert or delete items: every step checks again.
  for (int32_t i = 0; i < Count(); ++i) {
    if (items_[size_t(i)].panel && (i < lo || i >= hi)) {
      Notify(kAlbumItemShown, i, 0);
      if (i < Count()) DropPanel(items_[size_t(i)]);
    }
  }
  for (int32_t i = lo; i < hi && i < Count(); ++i) {
    Item& item = items_[size_t(i)];
    if (item.panel) {
      PlacePanel(i, g);
      continue;
    }
    auto* panel = static_cast<Element*>(template_->Copy());
    panel->Show(true);  // the template itself may be a hidden part of a layout
    panel->PutInside(this, nullptr);
    panel->Release();  // held as a child
    item.panel = panel;
    PlacePanel(i, g);
    Notify(kAlbumItemShown, i, 1);
  }
  last_bounds_ = Bounds();
  last_visible_ = EffectivelyVisible();
  syncing_ = false;
  Invalidate();
  Release();
}

void Album::LaidOut() {
  SRect32 b = Bounds();
  bool visible = EffectivelyVisible();
  if (visible != last_visible_ || b.left != last_bounds_.left || b.top != last_bounds_.top ||
      b.right != last_bounds_.right || b.bottom != last_bounds_.bottom) {
    last_bounds_ = b;
    last_visible_ = visible;
    ScheduleSync();
  }
}

// ---- user input ----

SRect32 Album::ScrollBarRect(const Geometry& g, SRect32* thumb) {
  SRect32 b = Bounds();
  SRect32 track = horizontal_ ? SRect32{g.view.right, b.top, b.right, g.view.bottom}
                              : SRect32{b.left, g.view.bottom, g.view.right, b.bottom};
  if (thumb) {
    int32_t length = horizontal_ ? track.bottom - track.top : track.right - track.left;
    int32_t size = g.extent > 0 ? std::max(int32_t(int64_t(length) * g.view_along / g.extent), 16) : length;
    size = std::min(size, length);
    int32_t range = std::max(g.extent - g.view_along, 1);
    int32_t at = int32_t(int64_t(length - size) * offset_ / range);
    *thumb = horizontal_ ? SRect32{track.left, track.top + at, track.right, track.top + at + size}
                         : SRect32{track.left + at, track.top, track.left + at + size, track.bottom};
  }
  return track;
}

bool Album::TakePointer(const PointerInput& in) {
  if (!EffectivelyVisible() || !EffectivelyEnabled()) return false;
  Geometry g = Measure();
  SRect32 b = Bounds();
  int32_t along = horizontal_ ? in.at.y : in.at.x;
  switch (in.kind) {
    case PointerInput::kWheel: {
      if (MaxScrollOffset() == 0) return false;
      SetScrollOffset(offset_ + int32_t(in.wheel * g.along / 2));
      SyncNow();  // new cells appear in this frame, not the next
      return true;
    }
    case PointerInput::kMove:
      if (drag_from_ >= 0) {
        SRect32 thumb;
        SRect32 track = ScrollBarRect(g, &thumb);
        int32_t length = horizontal_ ? track.bottom - track.top : track.right - track.left;
        int32_t size = horizontal_ ? thumb.bottom - thumb.top : thumb.right - thumb.left;
        int32_t room = std::max(length - size, 1);
        SetScrollOffset(drag_offset_ + int32_t(int64_t(along - drag_from_) * MaxScrollOffset() / room));
        SyncNow();
      }
      return true;
    case PointerInput::kUp:
    case PointerInput::kCancel:
      drag_from_ = -1;
      return true;
    case PointerInput::kDown:
    case PointerInput::kDouble:
      break;
  }
  bool on_items = in.at.x >= b.left && in.at.y >= b.top && in.at.x < g.view.right && in.at.y < g.view.bottom;
  if (!on_items) {
    if (in.button != 1 || MaxScrollOffset() == 0) return false;
    SRect32 thumb;
    ScrollBarRect(g, &thumb);
    int32_t lo = horizontal_ ? thumb.top : thumb.left, hi = horizontal_ ? thumb.bottom : thumb.right;
    if (along < lo) SetScrollOffset(offset_ - g.view_along);
    else if (along >= hi) SetScrollOffset(offset_ + g.view_along);
    drag_from_ = along;
    drag_offset_ = offset_;
    SyncNow();
    return true;
  }
  int32_t index = IndexAt(POINT{in.at.x - b.left, in.at.y - b.top});
  if (in.kind == PointerInput::kDouble) {
    if (in.button != 1 || index < 0) return false;
    Notify(kAlbumDoubleClick, index, 0);
    return true;
  }
  if (in.button == 3) {
    // The menu belongs to the host; the item under it is made the one acted on.
    if (index >= 0 && !IsSelected(index)) {
      Select(index, true, true);
      SetCurrent(index);
    }
    return false;
  }
  if (in.button != 1) return false;
  Qel0SetGValue(2, reinterpret_cast<intptr_t>(Handle()));  // the keys come here now
  if (index < 0) return true;
  int32_t anchor = anchor_;
  if ((in.modifiers & PointerInput::kShift) && !single_ && anchor >= 0) {
    int32_t from = std::min(anchor, index), to = std::max(anchor, index);
    if (!(in.modifiers & PointerInput::kControl)) Select(-1, false, false);
    for (int32_t i = from; i <= to; ++i) Select(i, true, false);
    SetCurrent(index);
    anchor_ = anchor;  // a second shift-press extends from the same item
  } else if ((in.modifiers & PointerInput::kControl) && !single_) {
    Select(index, !IsSelected(index), false);
    SetCurrent(index);
  } else {
    Select(index, true, true);
    SetCurrent(index);
  }
  ScrollToItem(index);
  return true;
}

void Album::MoveCurrentBy(int32_t delta) {
  int32_t n = Count();
  if (n == 0) return;
  int32_t to = current_ < 0 ? 0 : std::clamp(current_ + delta, 0, n - 1);
  Select(to, true, true);
  SetCurrent(to);
  ScrollToItem(to);
  SyncNow();
}

bool Album::TakeKey(uint32_t key, bool down) {
  if (!keys_) return false;
  Geometry g = Measure();
  int32_t step = 0;
  int32_t page = std::max(g.view_along / std::max(g.along, 1), 1) * g.per_line;
  switch (key) {
    case kKeyLeft: step = horizontal_ ? -1 : -g.per_line; break;
    case kKeyRight: step = horizontal_ ? 1 : g.per_line; break;
    case kKeyUp: step = horizontal_ ? -g.per_line : -1; break;
    case kKeyDown: step = horizontal_ ? g.per_line : 1; break;
    case kKeyPageUp: step = -page; break;
    case kKeyPageDown: step = page; break;
    default: return false;
  }
  if (down) MoveCurrentBy(step);
  return true;
}

void Album::PaintOver(cairo_t* cr) {
  Geometry g = Measure();
  if (g.extent <= g.view_along || scroll_state_[horizontal_ ? 1 : 0] == 0) return;
  SRect32 thumb;
  SRect32 track = ScrollBarRect(g, &thumb);
  cairo_save(cr);
  // Mid grey reads on light and dark album backgrounds alike.
  cairo_set_source_rgba(cr, 0.5, 0.5, 0.5, 0.12);
  cairo_rectangle(cr, track.left, track.top, track.right - track.left, track.bottom - track.top);
  cairo_fill(cr);
  double r = 3.0, x = thumb.left + 2, y = thumb.top + 2;
  double w = thumb.right - thumb.left - 4, h = thumb.bottom - thumb.top - 4;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -G_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, G_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, G_PI / 2, G_PI);
  cairo_arc(cr, x + r, y + r, r, G_PI, 3 * G_PI / 2);
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, 0.55, 0.55, 0.55, 0.75);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace qel
