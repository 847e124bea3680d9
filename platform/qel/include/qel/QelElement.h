#pragma once
// The element tree: every window, panel and control is a qel::Element with a
// name, a four-character class, a frame (margins and size) and state. The
// numbered interfaces of Qel0Inter map onto these typed operations.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qel/QelObject.h"

class CQelWindow;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace qel {

class ElementLayers;

// Pointer input that an element may take before the click logic sees it:
// the backends offer each press, release, double press, drag and wheel step
// to the elements under the pointer, deepest first (drags and releases go to
// the element that took the press).
struct PointerInput {
  // kCancel: the press ends without a release (the window lost the
  // focus); the element that took it undoes what the press began.
  enum Kind : int32_t { kDown, kUp, kDouble, kMove, kWheel, kCancel };
  Kind kind = kDown;
  POINT at{0, 0};          // window coordinates
  int32_t button = 1;      // 1 left, 2 middle, 3 right
  uint32_t modifiers = 0;  // kShift | kControl
  double wheel = 0.0;      // steps; positive scrolls down (or right)
  static constexpr uint32_t kShift = 1;
  static constexpr uint32_t kControl = 2;
};

// How an element's width or height is found.
enum SizeMethod : uint32_t {
  kSizeFixed = 0,  // the frame size given
  kSizeFill = 1,   // the parent's size less the margins
  kSizeText = 2,   // height that the text needs at the laid-out width
};

// How a panel places its children.
enum Flow : uint32_t { kFlowNone = 0, kFlowHorizontal = 1, kFlowVertical = 2 };

struct ComboItem {
  std::u16string text;
  void* data = nullptr;
  std::u16string tip;
};

struct ScrollState {
  int32_t min = 0;
  int32_t max = 100;
  int32_t pos = 0;
  int32_t page = 0;
  int32_t track = 0;
  int32_t step = 1;
};

// The scroll interface's record (32 bytes, size first).
struct QelScrollInfo {
  uint32_t cbSize, fMask;
  int32_t nMin, nMax, nPos, nPage, nTrackPos, nStep;
};

class QEL_API Element : public Object {
 public:
  explicit Element(uint32_t kind, std::string name = {});

  // Identity.
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  std::string ClassName() const;  // the kind as four characters

  // Tree. Children are held with a reference each.
  Element* Parent() const { return parent_; }
  const std::vector<Element*>& Children() const { return children_; }
  // Moves this element into `panel` before `before` (null: at the end);
  // a null panel takes it out of its parent.
  bool PutInside(Element* panel, Element* before);
  Element* Root();
  // First element of that name (ASCII case ignored): children only, or the
  // whole subtree when deep. The element itself does not count.
  Element* FindByName(std::string_view name, bool deep);
  // Deepest visible element at a window point, or null.
  Element* ElementAt(POINT p);

  // The window hosting the tree (set on the root by the window).
  CQelWindow* HostWindow();
  void SetHostWindow(CQelWindow* w) { host_ = w; }

  // Visibility and enabling; Effective* also looks at the ancestors.
  bool Visible() const { return visible_; }
  void Show(bool on);
  bool Enabled() const { return enabled_; }
  void Enable(bool on);
  bool EffectivelyVisible() const;
  bool EffectivelyEnabled() const;

  // Frame: margins inside the parent, frame size and how it is found.
  SRect32 Margin() const { return margin_; }
  void SetMargin(const SRect32& m);
  SIZE FrameSize() const { return size_; }
  void SetFrameSize(SIZE s);
  uint32_t WidthMethod() const { return wmethod_; }
  uint32_t HeightMethod() const { return hmethod_; }
  void SetWidthMethod(uint32_t m);
  void SetHeightMethod(uint32_t m);
  uint32_t GetFlow() const { return flow_; }
  void SetFlow(uint32_t f);
  // Anchoring to the parent's right and/or bottom edge: the margin on that
  // side is kept as the parent grows (layout attribute anchor="right",
  // "bottom" or "rightbottom").
  static constexpr uint32_t kAnchorRight = 1, kAnchorBottom = 2;
  uint32_t Anchor() const { return anchor_; }
  void SetAnchor(uint32_t a) { anchor_ = a; MarkLayoutDirty(); }
  // Laid-out rectangle in window coordinates (lays the tree out first).
  SRect32 Bounds();
  SIZE LaidOutSize();
  POINT Position();
  void MarkLayoutDirty();
  void LayoutNow();  // lays out the whole tree this element belongs to

  // Content.
  const std::u16string& Text() const { return text_; }
  void SetText(std::u16string t);
  int32_t Check() const { return check_; }
  void SetCheck(int32_t state);
  const std::u16string& Tips() const { return tips_; }
  void SetTips(std::u16string t) { tips_ = std::move(t); }
  int32_t CursorId() const { return cursor_; }
  void SetCursorId(int32_t id) { cursor_ = id; }
  const std::string& ImagePath() const { return image_; }
  void SetImagePath(std::string p) { image_ = std::move(p); Invalidate(); }
  uint32_t Background() const { return bg_; }  // 0xAARRGGBB, 0 = none
  void SetBackground(uint32_t argb) { bg_ = argb; Invalidate(); }
  uint32_t Foreground() const { return fg_; }
  void SetForeground(uint32_t argb) { fg_ = argb; Invalidate(); }
  double FontSize() const { return font_size_; }
  void SetFontSize(double px) { font_size_ = px; MarkLayoutDirty(); }
  double Opacity() const { return opacity_; }
  void SetOpacity(double a) { opacity_ = a; Invalidate(); }
  int32_t MenuId() const { return menu_id_; }
  void SetMenuId(int32_t id) { menu_id_ = id; }
  uint32_t TextLimit() const { return text_limit_; }
  void SetTextLimit(uint32_t n) { text_limit_ = n; }
  // An edit field's whole text is selected (the next key typed replaces
  // it); the count tells the backend a new request came.
  void SelectAllText() { ++select_all_; Invalidate(); }
  uint32_t SelectAllRequests() const { return select_all_; }

  // Scroll values (sliders and scroll bars); positions are kept in range.
  const ScrollState& Scroll() const { return scroll_; }
  void SetScrollPos(int32_t pos);
  void SetScrollRange(int32_t min, int32_t max);
  void SetScrollPage(int32_t page);
  void SetScrollStep(int32_t step) { scroll_.step = step; }
  void SetScrollTrack(int32_t t) { scroll_.track = t; }

  // Combo box items; the selection is -1 or a valid index.
  std::vector<ComboItem>& Items() { return items_; }
  int32_t Selection() const { return sel_; }
  bool SetSelection(int32_t index);
  int32_t AddItem(std::u16string text);
  int32_t FindItem(int32_t after, std::u16string_view text) const;
  bool ShowItemTips() const { return item_tips_; }
  void SetShowItemTips(bool on) { item_tips_ = on; }

  // Splitter partners.
  std::string associate_first, associate_second;

  // Callback slot: one callback and its data; null removes it.
  void SetCallback(QELCALLBACK cb, void* data);
  QELCALLBACK Callback() const { return callback_; }
  void* CallbackData() const { return callback_data_; }
  // Hands an event to the callback; answers its result (0 without one).
  int32_t Fire(int32_t event, QELLPARAM param = 0);

  // Repeat ticks (event 16) every `ms` until stopped.
  void StartRepeat(int32_t ms);
  void StopRepeat();

  // What a user action does to this element: a click toggles a check box,
  // turns a radio button on, and fires the click (or menu command).
  bool Click();
  // Replaces the text as typed by the user (limit applies), fires 2091.
  bool TypeText(std::u16string_view text);
  // A user pick in a combo box or a slider move: fires the change events.
  bool UserSelect(int32_t index);
  bool UserScroll(int32_t pos);

  // Redraw request up to the host window.
  void Invalidate();

  Object* Copy() const override;
  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override;

  // The element's picture layer set (made when first asked for).
  ElementLayers* Layers(bool create);

  // Hooks for element classes with behaviour of their own (the album).
  // Pointer input offered to this element; true when taken. A plain
  // element takes it only when asked to (SetPointerEvents): its callback
  // then gets 0x40000002 for the press, 0x40000001 for each move while the
  // button is held and 0x40000003 for the release, with the window point
  // in the parameter (x in the low 16 bits, y in the high 16 bits).
  virtual bool TakePointer(const PointerInput& in);
  void SetPointerEvents(bool on) { pointer_events_ = on; }
  // The window point such an event carries. Read this, not the pointer's
  // position now: on a busy desktop the pointer has moved on by the time
  // an event is handled.
  static POINT PointerPoint(QELLPARAM packed) {
    return POINT{int16_t(uint16_t(packed & 0xFFFF)), int16_t(uint16_t((packed >> 16) & 0xFFFF))};
  }
  bool PointerEvents() const { return pointer_events_; }
  // A key the window left unhandled, offered to the element holding the
  // keyboard focus (global value 2); true when taken.
  virtual bool TakeKey(uint32_t /*key*/, bool /*down*/) { return false; }
  // Children are drawn clipped to this element's bounds (a layout asks
  // for it with clip="1"; a sliding strip then vanishes at the panel's edge).
  virtual bool ClipsChildren() const { return clip_; }
  void SetClipsChildren(bool on) { clip_ = on; Invalidate(); }
  // Drawn over the children (window coordinates).
  virtual void PaintOver(cairo_t*) {}
  // After the layout placed this element (its bounds may have changed).
  virtual void LaidOut() {}
  // Show() changed this element's own visibility.
  virtual void VisibilityChanged() {}

  static Element* From(QelObject h);  // null unless h is an element

 protected:
  ~Element() override;
  // The state of this element (and its subtree when asked) into `c`.
  void CopyStateTo(Element* c, bool withChildren) const;

 private:
  friend class Layouter;
  void RemoveChild(Element* child);
  intptr_t InterElement(int32_t method, QELWPARAM w, QELLPARAM l);
  intptr_t InterScroll(int32_t method, QELWPARAM w, QELLPARAM l);
  intptr_t InterCombo(int32_t method, QELWPARAM w, QELLPARAM l);

  std::string name_;
  Element* parent_ = nullptr;
  std::vector<Element*> children_;
  CQelWindow* host_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  SRect32 margin_{0, 0, 0, 0};
  SIZE size_{0, 0};
  uint32_t wmethod_ = kSizeFixed;
  uint32_t hmethod_ = kSizeFixed;
  uint32_t flow_ = kFlowNone;
  uint32_t anchor_ = 0;
  SRect32 rect_{0, 0, 0, 0};
  bool layout_dirty_ = true;
  std::u16string text_;
  int32_t check_ = 0;
  std::u16string tips_;
  int32_t cursor_ = 0;
  std::string image_;
  uint32_t bg_ = 0;
  uint32_t fg_ = 0xff000000u;
  double font_size_ = 12.0;
  double opacity_ = 1.0;
  int32_t menu_id_ = 0;
  uint32_t text_limit_ = 0;
  uint32_t select_all_ = 0;
  ScrollState scroll_;
  std::vector<ComboItem> items_;
  int32_t sel_ = -1;
  bool item_tips_ = false;
  bool clip_ = false;
  bool pointer_events_ = false;
  QELCALLBACK callback_ = nullptr;
  void* callback_data_ = nullptr;
  bool repeating_ = false;
  ElementLayers* layers_ = nullptr;
};

// Element classes with behaviour of their own register a factory by their
// four-character class; layouts, Qel0CreateObj and copies make them with it.
using ElementFactory = Element* (*)(uint32_t kind, std::string name);
QEL_API void RegisterElementClass(uint32_t kind, ElementFactory factory);
QEL_API Element* CreateElement(uint32_t kind, std::string name = {});

// Name comparison of the toolkit: ASCII case ignored.
QEL_API bool NamesEqual(std::string_view a, std::string_view b);

// UTF-8 <-> UTF-16 at the toolkit's edges.
QEL_API std::u16string ToU16(std::string_view utf8);
QEL_API std::string ToU8(std::u16string_view text);

}  // namespace qel
