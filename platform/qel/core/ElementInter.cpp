// The numbered interfaces of an element, mapped onto its typed operations.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "qel/QelElement.h"
#include "qel/QelElementLayers.h"

namespace qel {

namespace {

// Texts and names cross as pointers in wparam / lparam.
template <typename T>
T* Ptr(intptr_t v) {
  return reinterpret_cast<T*>(v);
}

std::u16string FromWide(const WCHAR* s) {
  return s ? std::u16string(s) : std::u16string();
}

// Buffers handed to GetStringByIndex have no size argument: the system's
// text buffers hold 1024 units, so never write more than that.
constexpr size_t kTextBufferUnits = 1024;

intptr_t CopyOut(const std::u16string& text, WCHAR* buffer, size_t units) {
  if (!buffer || units == 0) return intptr_t(text.size());
  size_t n = std::min(text.size(), units - 1);
  std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
  buffer[n] = 0;
  return intptr_t(n);
}

}  // namespace

intptr_t Element::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  switch (iface) {
    case QEL_IF_SIZE:
      if (method != 3) break;
      if (!l) return QEL_E_POINTER;
      *Ptr<SIZE>(l) = LaidOutSize();
      return QEL_S_OK;
    case QEL_IF_ENV:
      if (method != 4) break;
      return reinterpret_cast<intptr_t>(HostWindow());
    case QEL_IF_ELEMENT:
      return InterElement(method, w, l);
    case QEL_IF_PANEL:
      switch (method) {
        case 5:
          return intptr_t(children_.size());
        case 6:
          return w >= 0 && size_t(w) < children_.size()
                     ? reinterpret_cast<intptr_t>(children_[size_t(w)]->Handle())
                     : 0;
        case 12: {
          const char* name = Ptr<const char>(l);
          if (!name) return 0;
          Element* e = FindByName(name, w != 0);
          return e ? reinterpret_cast<intptr_t>(e->Handle()) : 0;
        }
      }
      break;
    case QEL_IF_MARGIN:
      if (!l) return QEL_E_POINTER;
      if (method == 1) {
        *Ptr<SRect32>(l) = margin_;
        return QEL_S_OK;
      }
      if (method == 2) {
        SetMargin(*Ptr<SRect32>(l));
        return QEL_S_OK;
      }
      break;
    case QEL_IF_CHECK:
      if (method == 1) return check_;
      if (method == 2) {
        SetCheck(int32_t(w));
        return QEL_S_OK;
      }
      break;
    case QEL_IF_TEXT:
      if (method == 26) {
        if (!l) return QEL_E_POINTER;
        return w > 0 ? CopyOut(text_, Ptr<WCHAR>(l), size_t(w)) : intptr_t(text_.size());
      }
      if (method == 27) {
        SetText(FromWide(Ptr<const WCHAR>(l)));
        return QEL_S_OK;
      }
      break;
    case QEL_IF_SCROLL:
      return InterScroll(method, w, l);
    case QEL_IF_EDIT:
      switch (method) {
        case 2:
          return QEL_S_OK;  // edit kinds matter only to a native overlay
        case 3:
          SetTextLimit(uint32_t(w));
          return QEL_S_OK;
        case 6:
          return 0;  // no platform control on this backend
      }
      break;
    case QEL_IF_COMBOBOX:
      return InterCombo(method, w, l);
    case QEL_IF_SPLITTER:
      if (method == 1) {
        associate_first = w ? Ptr<const char>(w) : "";
        associate_second = l ? Ptr<const char>(l) : "";
        return QEL_S_OK;
      }
      break;
    case QEL_IF_REPEAT:
      if (method == 1) {
        StartRepeat(int32_t(w));
        return QEL_S_OK;
      }
      if (method == 2) {
        StopRepeat();
        return QEL_S_OK;
      }
      break;
    case QEL_IF_MENU:
      if (method == 16) {
        const char* name = Ptr<const char>(l);
        if (!name) return 0;
        Element* e = FindByName(name, w != 0);
        return e ? reinterpret_cast<intptr_t>(e->Handle()) : 0;
      }
      if (method == 21) {
        Show(true);  // the pop-up is open until an item is chosen
        return QEL_S_OK;
      }
      break;
    default:
      break;  // layers, albums, pictures and the image control come later
  }
  return QEL_E_NOTIMPL;
}

intptr_t Element::InterElement(int32_t method, QELWPARAM w, QELLPARAM l) {
  switch (method) {
    case 2:
      LayoutNow();
      return QEL_S_OK;
    case 16:  // a control tells its host: the callback's answer, at once
      return Fire(int32_t(w), l);
    case 5:
      if (!l) return QEL_E_POINTER;
      *Ptr<POINT>(l) = Position();
      return QEL_S_OK;
    case 6:
      return reinterpret_cast<intptr_t>(Root()->Handle());
    case 7:
      return visible_ ? 1 : 0;
    case 8:
      Show(w != 0);
      return QEL_S_OK;
    case 9:
      return enabled_ ? 1 : 0;
    case 10:
      Enable(w != 0);
      return QEL_S_OK;
    case 11: {
      Element* panel = w ? Element::From(reinterpret_cast<QelObject>(w)) : nullptr;
      if (w && !panel) return QEL_E_INVALIDARG;
      QelObject pos = reinterpret_cast<QelObject>(l);
      Element* before = (pos && pos != ADDEleEnd) ? Element::From(pos) : nullptr;
      return PutInside(panel, before) ? QEL_S_OK : QEL_E_INVALIDARG;
    }
    case 12:
      return parent_ ? reinterpret_cast<intptr_t>(parent_->Handle()) : 0;
    case 13: {
      if (!l) return 0;
      Element* e = ElementAt(*Ptr<POINT>(l));
      return e ? reinterpret_cast<intptr_t>(e->Handle()) : 0;
    }
    case 18:
      SetCallback(reinterpret_cast<QELCALLBACK>(w), Ptr<void>(l));
      return QEL_S_OK;
    case 22:
      return 1;  // one layer set (the normal and the state set are the same)
    case 23:
      return l == 0 ? reinterpret_cast<intptr_t>(Layers(true)->Handle()) : 0;
    case 27:
      return wmethod_;
    case 28:
      SetWidthMethod(uint32_t(w));
      return QEL_S_OK;
    case 29:
      return hmethod_;
    case 30:
      SetHeightMethod(uint32_t(w));
      return QEL_S_OK;
    case 33:
      if (!l) return QEL_E_POINTER;
      *Ptr<SIZE>(l) = size_;
      return QEL_S_OK;
    case 34:
      if (!l) return QEL_E_POINTER;
      SetFrameSize(*Ptr<SIZE>(l));
      return QEL_S_OK;
    case 62:
      SetCursorId(int32_t(w));
      return QEL_S_OK;
    case 79:
      SetTips(FromWide(Ptr<const WCHAR>(l)));
      return QEL_S_OK;
    case 91:  // the callback gets the pointer's press, moves and release
      SetPointerEvents(w != 0);
      return QEL_S_OK;
  }
  return QEL_E_NOTIMPL;
}

intptr_t Element::InterScroll(int32_t method, QELWPARAM w, QELLPARAM l) {
  switch (method) {
    case 1:
      return scroll_.pos;
    case 2:
      SetScrollPos(int32_t(w));
      return QEL_S_OK;
    case 3: {
      auto* info = Ptr<QelScrollInfo>(l);
      if (!info) return QEL_E_POINTER;
      uint32_t mask = info->fMask;
      if (mask & 1) {
        info->nMin = scroll_.min;
        info->nMax = scroll_.max;
      }
      if (mask & 2) info->nPage = scroll_.page;
      if (mask & 4) info->nPos = scroll_.pos;
      if (mask & 8) info->nTrackPos = scroll_.track;
      if (mask & 16) info->nStep = scroll_.step;
      return QEL_S_OK;
    }
    case 4: {
      auto* info = Ptr<const QelScrollInfo>(l);
      if (!info) return QEL_E_POINTER;
      uint32_t mask = info->fMask;
      if (mask & 1) SetScrollRange(info->nMin, info->nMax);
      if (mask & 2) SetScrollPage(info->nPage);
      if (mask & 8) scroll_.track = info->nTrackPos;
      if (mask & 16) scroll_.step = info->nStep;
      if (mask & 4) SetScrollPos(info->nPos);
      return QEL_S_OK;
    }
    case 5:
      SetScrollRange(int32_t(w), std::max(int32_t(w), scroll_.max));
      return QEL_S_OK;
    case 6:
      SetScrollRange(scroll_.min, int32_t(std::min<int64_t>(int64_t(scroll_.min) + std::max(int32_t(w), 0),
                                                             INT32_MAX)));
      return QEL_S_OK;
    case 7:
      SetScrollPage(int32_t(w));
      return QEL_S_OK;
    case 11:
      scroll_.step = int32_t(w);
      return QEL_S_OK;
  }
  return QEL_E_NOTIMPL;
}

intptr_t Element::InterCombo(int32_t method, QELWPARAM w, QELLPARAM l) {
  auto valid = [&](intptr_t i) { return i >= 0 && size_t(i) < items_.size(); };
  switch (method) {
    case 6:
      items_.clear();
      sel_ = -1;
      Invalidate();
      return QEL_S_OK;
    case 8:
      return sel_;
    case 9:
      return SetSelection(int32_t(w)) ? QEL_S_OK : QEL_E_INVALIDARG;
    case 21:
      return intptr_t(items_.size());
    case 26:
      SetShowItemTips(w != 0);
      return QEL_S_OK;
    case 35:
      return valid(w) ? reinterpret_cast<intptr_t>(items_[size_t(w)].data) : 0;
    case 36:
      if (!valid(w)) return QEL_E_INVALIDARG;
      items_[size_t(w)].data = Ptr<void>(l);
      return QEL_S_OK;
    case 50:
      return AddItem(FromWide(Ptr<const WCHAR>(l)));
    case 53:
      if (!l) return -1;
      return FindItem(int32_t(w), Ptr<const WCHAR>(l));
    case 54:
      if (!valid(w)) return QEL_E_INVALIDARG;
      items_[size_t(w)].tip = FromWide(Ptr<const WCHAR>(l));
      return QEL_S_OK;
    case 55: {
      auto* index = Ptr<int32_t>(w);
      if (!index || !l) return QEL_E_POINTER;
      if (!valid(*index)) return QEL_E_INVALIDARG;
      return CopyOut(items_[size_t(*index)].text, Ptr<WCHAR>(l), kTextBufferUnits);
    }
  }
  return QEL_E_NOTIMPL;
}

}  // namespace qel
