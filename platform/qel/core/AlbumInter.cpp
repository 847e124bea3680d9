// The album's numbered interface (36). A single number or flag comes in
// wparam, a record in lparam; two arguments come as wparam and lparam.
#include "qel/QelAlbum.h"

namespace qel {

namespace {
template <typename T>
T* Ptr(intptr_t v) {
  return reinterpret_cast<T*>(v);
}
}  // namespace

intptr_t Album::Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  if (iface == QEL_IF_ALBUM) return InterAlbum(method, w, l);
  return Element::Inter(iface, method, w, l);
}

intptr_t Album::InterAlbum(int32_t method, QELWPARAM w, QELLPARAM l) {
  switch (method) {
    case 1:
      return cell_.cx;
    case 2:
      SetCellSize(int32_t(w), cell_.cy);
      return QEL_S_OK;
    case 3:
      return cell_.cy;
    case 4:
      SetCellSize(cell_.cx, int32_t(w));
      return QEL_S_OK;
    case 6:
      SetLayoutRange(int32_t(w), std::max(int32_t(w), max_layout_));
      return QEL_S_OK;
    case 8:
      SetLayoutRange(std::min(min_layout_, std::max(int32_t(w), 1)), int32_t(w));
      return QEL_S_OK;
    case 11: {  // scroll state: {offset, largest offset}
      if (!l) return QEL_E_POINTER;
      *Ptr<POINT>(l) = POINT{offset_, MaxScrollOffset()};
      return QEL_S_OK;
    }
    case 15:
      return Count();
    case 18:
      SetHorizontal(w != 0);
      return QEL_S_OK;
    case 19: {
      Element* panel = ItemPanel(int32_t(w));
      return panel ? reinterpret_cast<intptr_t>(panel->Handle()) : 0;
    }
    case 20: {
      Element* panel = l ? Element::From(reinterpret_cast<QelObject>(l)) : nullptr;
      if (l && !panel) return QEL_E_INVALIDARG;
      SetTemplate(panel);
      return QEL_S_OK;
    }
    case 23:
    case 24: {
      auto* q = Ptr<QelAlbumQuery>(l);
      if (!q) return QEL_E_POINTER;
      if (q->index < 0 || q->index >= Count()) return QEL_E_INVALIDARG;
      q->answer = method == 23 ? IsDisplayed(q->index) : IsSelected(q->index);
      return QEL_S_OK;
    }
    case 25:
      return current_;
    case 27:
      return Insert(int32_t(w), Ptr<void>(l));
    case 30:
      return Delete(int32_t(w)) ? QEL_S_OK : QEL_E_INVALIDARG;
    case 35: {  // scroll so that the line of item {x} comes first
      auto* p = Ptr<POINT>(l);
      if (!p) return QEL_E_POINTER;
      int32_t per = PerLine();
      SetScrollOffset((p->x / per) * (horizontal_ ? cell_.cy : cell_.cx));
      return QEL_S_OK;
    }
    case 36:
    case 47: {
      auto* p = Ptr<POINT>(l);
      if (!p) return QEL_E_POINTER;
      POINT first{-1, -1}, last{-1, -1};
      VisibleCells(&first, &last);
      *p = method == 36 ? first : last;
      return QEL_S_OK;
    }
    case 37: {
      auto* index = Ptr<int32_t>(w);
      auto* p = Ptr<POINT>(l);
      if (!index || !p) return QEL_E_POINTER;
      *index = IndexAt(*p);
      return QEL_S_OK;
    }
    case 39:
      SetSingleSelect(w != 0);
      return QEL_S_OK;
    case 41:
      SetKeyAction(w != 0);
      return QEL_S_OK;
    case 42: {
      auto* s = Ptr<QelAlbumSelect>(l);
      if (!s) return QEL_E_POINTER;
      return Select(s->index, s->select != 0, s->only != 0) ? QEL_S_OK : QEL_E_INVALIDARG;
    }
    case 43: {
      auto* c = Ptr<QelAlbumCurrent>(l);
      if (!c) return QEL_E_POINTER;
      if (!c->current) return QEL_S_OK;
      return SetCurrent(c->index) ? QEL_S_OK : QEL_E_INVALIDARG;
    }
    case 44:
    case 45:
      SetScrollBarState(method == 44, int32_t(w));
      return QEL_S_OK;
    case 46: {
      auto* p = Ptr<POINT>(l);
      if (!p) return QEL_E_POINTER;
      if (w < 0 || w >= Count()) return QEL_E_INVALIDARG;
      *p = CellOf(int32_t(w));
      return QEL_S_OK;
    }
    case 48: {
      auto* index = Ptr<int32_t>(w);
      auto* p = Ptr<POINT>(l);
      if (!index || !p) return QEL_E_POINTER;
      *index = IndexOfCell(*p);
      return QEL_S_OK;
    }
    case 53:
      SetImageMode(int32_t(w));
      return QEL_S_OK;
    case 56:
      return reinterpret_cast<intptr_t>(Data(int32_t(w)));
    case 65:  // 0: bring the current item into view
      if (w != 0) return QEL_E_NOTIMPL;
      ScrollToItem(current_);
      return QEL_S_OK;
    case 66:
      return SelectedCount();
    case 67: {
      auto* out = Ptr<int32_t>(l);
      if (!out || w <= 0) return 0;
      std::vector<int32_t> picked = SelectedIndexes(size_t(w));
      std::copy(picked.begin(), picked.end(), out);
      return intptr_t(picked.size());
    }
    case 69:
      Reset();
      return QEL_S_OK;
    case 70:
      return w >= 0 && w == current_ ? 1 : 0;
    case 71:
      return QEL_S_OK;  // no drag and drop to cancel
  }
  return QEL_E_NOTIMPL;
}

}  // namespace qel
