#include "EditElements.h"

#include <cstring>

#include "EditGlobals.h"
#include "EditPanel.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

int IsPtInElement(POINT* point, PubQelmar::QelElement* element) {
  qel::Element* e = element ? qel::Element::From(element->Handle()) : nullptr;
  if (!point || !e) return 0;
  SRect32 r = e->Bounds();
  return point->x >= r.left && point->x <= r.right && point->y >= r.top && point->y <= r.bottom ? 1 : 0;
}

namespace {

qel::Element* FirstOfType(qel::Element* panel, uint32_t type, bool recurse) {
  for (qel::Element* child : panel->Children()) {
    if (child->Kind() == type) return child;
    if (recurse && (child->ClassName() == "cata" || child->ClassName() == "ocat")) {
      if (qel::Element* found = FirstOfType(child, type, recurse)) return found;
    }
  }
  return nullptr;
}

}  // namespace

PubQelmar::QelElement* GetFirstElementByType(PubQelmar::QelPanel* panel, uint32_t type, int recurse) {
  qel::Element* e = panel ? qel::Element::From(panel->Handle()) : nullptr;
  if (!e) return nullptr;
  qel::Element* found = FirstOfType(e, type, recurse != 0);
  return found ? reinterpret_cast<PubQelmar::QelElement*>(found->Handle()) : nullptr;
}

void vSetMagTextTips(PubQelmar::QelElement* element, const WCHAR* text, const WCHAR* tip) {
  if (!element) return;
  element->_QelText()->SetText(text ? text : u"");
  element->SetTips(tip ? tip : u"");
}

void OffsetRect(SRect32* rect, int32_t dx, int32_t dy) {
  if (!rect) return;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
}

int IsRectEmpty(const SRect32* rect) {
  return !rect || rect->right <= rect->left || rect->bottom <= rect->top ? 1 : 0;
}

void SetRectEmpty(SRect32& rect) { rect = SRect32{0, 0, 0, 0}; }

void SetCursorMac(int16_t id) {
  if (CEditPanel* panel = vGetPanelHandle()) panel->MySetCursor(id);
}

int32_t UnicodeToUTF8(const WCHAR* text, char** out) {
  if (!out) return 0;
  *out = nullptr;
  std::string utf8 = text ? QelToUTF8(std::u16string_view(text)) : std::string();
  size_t units = text ? std::char_traits<char16_t>::length(text) : 0;
  size_t capacity = units * 3 + 3;
  *out = new char[capacity]();
  std::memcpy(*out, utf8.data(), std::min(utf8.size(), capacity - 1));
  return int32_t(std::min(utf8.size(), capacity - 1));
}
