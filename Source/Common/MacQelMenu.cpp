// Pop-up menus: the item list and the modal pop-up window that shows it.
#include "MacQelMenu.h"

#include <algorithm>
#include <string>

#include "qel/QelBackend.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelMessage.h"
#include "qel/QelWindow.h"

namespace {

constexpr int32_t kItemHeight = 22;
constexpr int32_t kSeparatorHeight = 7;
constexpr int32_t kTextInset = 12;
constexpr int32_t kMinWidth = 120;
constexpr double kFontPx = 13.0;

std::string ItemName(int position) { return "mece_" + std::to_string(position); }

// The width a text takes, as the toolkit lays it out.
int32_t TextWidth(const std::u16string& text) {
  auto* panel = new qel::Element(QelFourCC("cata"));
  auto* probe = new qel::Element(QelFourCC("view"));
  probe->SetFontSize(kFontPx);
  probe->SetWidthMethod(qel::kSizeText);
  probe->SetText(text);
  probe->PutInside(panel, nullptr);
  panel->LayoutNow();
  const SRect32 b = probe->Bounds();
  probe->Release();
  panel->Release();
  return b.right - b.left;
}

// One open pop-up: a modal window with a menu-item element per item. A pick
// on an item with a submenu opens the submenu beside it.
class MenuPopupWnd : public CQelDialog {
 public:
  explicit MenuPopupWnd(const MacQelMenu& menu) : menu_(menu) {}

  bool Open(POINT where, WindowRef parent) {
    auto* root = new qel::Element(QelFourCC("cata"), "cata_popup_menu");
    root->SetFlow(qel::kFlowVertical);
    root->SetBackground(0xff2e2e32u);  // the suite is dark, its menus too
    int32_t width = kMinWidth, height = 4;
    for (int pos = 1; pos <= menu_.CountItems(); ++pos) {
      const MacQelMenu::Item* item = menu_.GetItem(pos);
      if (item->attributes & MacQelMenu::kAttrHidden) continue;
      qel::Element* e = nullptr;
      if (item->attributes & MacQelMenu::kAttrSeparator) {
        e = new qel::Element(QelFourCC("view"), "view_separator");
        e->SetMargin(SRect32{4, 3, 4, 3});
        e->SetFrameSize(SIZE{0, 1});
        e->SetBackground(0xff48484eu);
        height += kSeparatorHeight;
      } else {
        std::u16string text = item->text;
        if (item->child) text += u"  \u25B8";
        e = new qel::Element(QelFourCC("mece"), ItemName(pos));
        e->SetMargin(SRect32{kTextInset, 3, kTextInset, 3});
        e->SetFrameSize(SIZE{0, kItemHeight - 6});
        e->SetFontSize(kFontPx);
        e->SetForeground(0xffffffffu);
        e->SetMenuId(pos);
        e->Enable(menu_.IsEnabled() && item->enabled && !(item->attributes & MacQelMenu::kAttrDisabled));
        width = std::max(width, TextWidth(text) + 2 * kTextInset + 8);
        e->SetText(std::move(text));
        height += kItemHeight;
      }
      e->SetWidthMethod(qel::kSizeFill);
      e->PutInside(root, nullptr);
      e->Release();
    }
    height += 4;

    const SRect32 area = qel::CurrentBackend().WorkArea();
    int32_t x = std::min(where.x, area.right - width), y = std::min(where.y, area.bottom - height);
    x = std::max(x, area.left);
    y = std::max(y, area.top);
    SRect32 bounds{x, y, x + width, y + height};
    int32_t ok = CreateFromPanel(root->Handle(), &bounds, parent);
    root->Release();
    return ok != 0;
  }

  // Answers whether an item was chosen.
  bool Run(int16_t& menuId, uint16_t& item) {
    DoModal();
    menuId = chosen_menu_;
    item = chosen_item_;
    return chosen_item_ != 0;
  }

  void RegisterCallBacks() override {
    for (int pos = 1; pos <= menu_.CountItems(); ++pos) {
      RegisterCallBack(ItemName(pos).c_str(), QEL_EV_MENU_COMMAND, &MenuPopupWnd::ItemProc, this);
    }
  }

  int32_t PreCreateWind(QelCreateStruct* cs) override {
    CQelDialog::PreCreateWind(cs);
    if (cs) cs->windowClass = 3;  // a pop-up, in front of its parent
    return QEL_S_OK;
  }

  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override {
    // A pop-up that loses the focus goes away without a choice.
    if (msg == QEL_WM_ACTIVATE && wp == 0 && InModal() && !in_submenu_) {
      handled = true;
      EndModal(kResultCancel);
      return 0;
    }
    return CQelDialog::ProcessMessage(msg, wp, lp, handled);
  }

  void OnQelOK() override {}  // Return chooses nothing by itself

 private:
  static int32_t ItemProc(QelObject element, int32_t event, QELLPARAM, void* data) {
    auto* self = static_cast<MenuPopupWnd*>(data);
    qel::Element* e = qel::Element::From(element);
    if (!self || !e || event != QEL_EV_MENU_COMMAND || !self->InModal()) return 0;
    const int pos = e->MenuId();
    const MacQelMenu::Item* item = self->menu_.GetItem(pos);
    if (!item) return 0;
    if (item->child) {
      if (item->child->CountItems() == 0) return 0;
      SRect32 b = e->Bounds();
      SRect32 w;
      self->GetWindowRect(&w);
      MenuPopupWnd sub(*item->child);
      if (!sub.Open(POINT{w.right - 4, w.top + b.top}, self->GetWindowRef())) return 0;
      int16_t id = 0;
      uint16_t chosen = 0;
      // The submenu takes the focus; this pop-up stays open meanwhile.
      self->in_submenu_ = true;
      const bool picked = sub.Run(id, chosen);
      self->in_submenu_ = false;
      if (picked && self->InModal()) self->Choose(id, chosen);
      return 0;
    }
    self->Choose(self->menu_.GetMenuID(), uint16_t(pos));
    return 0;
  }

  void Choose(int16_t id, uint16_t item) {
    chosen_menu_ = id;
    chosen_item_ = item;
    EndModal(kResultOK);
  }

  const MacQelMenu& menu_;
  bool in_submenu_ = false;
  int16_t chosen_menu_ = 0;
  uint16_t chosen_item_ = 0;
};

}  // namespace

MacQelMenu::MacQelMenu() = default;
MacQelMenu::~MacQelMenu() = default;

int MacQelMenu::CreateMenu(int16_t id) {
  items_.clear();
  id_ = id;
  enabled_ = true;
  created_ = true;
  return 1;
}

int MacQelMenu::CreateNewMenuItem(int after, const WCHAR* text, uint32_t attributes, uint16_t command) {
  if (!created_ || after < 0) return 0;
  Item item;
  item.text = text ? text : u"";
  item.attributes = attributes;
  item.command = command;
  const size_t at = std::min(size_t(after), items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  return id_ * 1000 + after;
}

int MacQelMenu::SetChildren(MacQelMenu* child, int item) {
  if (!created_ || item < 1 || item > CountItems() || child == this) return 0;
  items_[size_t(item - 1)].child = child;
  return 1;
}

int MacQelMenu::Enable(int item, uint16_t enable) {
  if (!created_) return 0;
  if (item == 0) {
    enabled_ = enable != 0;
    return 1;
  }
  if (item < 0 || item > CountItems()) return 0;
  items_[size_t(item - 1)].enabled = enable != 0;
  return 1;
}

int MacQelMenu::PopupMenu(POINT where, int16_t& menuId, uint16_t& item) {
  menuId = 0;
  item = 0;
  if (!created_ || items_.empty()) return 0;
  MenuPopupWnd popup(*this);
  if (!popup.Open(where, nullptr)) return 0;
  return popup.Run(menuId, item) ? 1 : 0;
}

int MacQelMenu::GetChildren(uint16_t item, MenuRef* child) const {
  const Item* it = GetItem(item);
  MacQelMenu* sub = it ? it->child : nullptr;
  if (child) *child = sub;
  return sub ? sub->CountItems() : 0;
}

const MacQelMenu::Item* MacQelMenu::GetItem(int item) const {
  if (item < 1 || item > CountItems()) return nullptr;
  return &items_[size_t(item - 1)];
}
