#pragma once
// Thin typed wrappers over Qel0Inter. A wrapper pointer IS the toolkit
// handle: the classes hold no data and have no virtual operations, and each
// method is one numbered call. Integer answers are the call's 32-bit result;
// calls that hand back an object or text answer its address.
#include <cstdint>

#include "QelSizedRecords.h"
#include "qel/QelCore.h"

struct _LayerPropertyInfo;
struct SMenuPopupParm;
struct tagQueryAlbumDispArg;
struct tagQueryAlbumSeleArg;
struct tagAlbumSeleNotify;
struct tagAlbumCurrentNotify;
typedef int32_t LF_TYPE;
typedef int32_t EDT_TYPE;

namespace PubQelmar {

namespace detail {
inline intptr_t Call(const void* self, int32_t iface, int32_t method, QELWPARAM w = 0,
                     QELLPARAM l = 0) {
  return Qel0Inter(const_cast<void*>(self), iface, method, w, l);
}
inline int32_t Int(const void* self, int32_t iface, int32_t method, QELWPARAM w = 0,
                   QELLPARAM l = 0) {
  return static_cast<int32_t>(Call(self, iface, method, w, l));
}
template <typename T>
T* Obj(const void* self, int32_t iface, int32_t method, QELWPARAM w = 0, QELLPARAM l = 0) {
  return reinterpret_cast<T*>(Call(self, iface, method, w, l));
}
template <typename T>
QELLPARAM P(T* p) {
  return reinterpret_cast<QELLPARAM>(p);
}
}  // namespace detail

class QelBase {
 public:
  int32_t Retain() { return Qel0Retain(this); }
  int32_t Release() { return Qel0Release(this); }
  QelBase* Copy() { return static_cast<QelBase*>(Qel0CopyObject(this)); }
  uint32_t GetType() { return Qel0GetType(this); }
  QelObject Handle() { return static_cast<QelObject>(this); }
};

class QelSize : public QelBase {
 public:
  int32_t GetSize(SIZE* size) { return detail::Int(this, 1, 3, 0, detail::P(size)); }
};

class QelEnv : public QelBase {
 public:
  void* GetSurface() { return detail::Obj<void>(this, 2, 4); }
};

class QelText : public QelBase {
 public:
  int32_t GetText(WCHAR* buffer, int32_t size) { return detail::Int(this, 21, 26, size, detail::P(buffer)); }
  int32_t SetText(const WCHAR* text) { return detail::Int(this, 21, 27, 0, detail::P(text)); }
};

class QelMargin : public QelBase {
 public:
  int32_t GetMargin(SRect32* m) { return detail::Int(this, 18, 1, 0, detail::P(m)); }
  int32_t SetMargin(SRect32* m) { return detail::Int(this, 18, 2, 0, detail::P(m)); }
};

class QelLayerSet;
class QelPanel;

class QelElement : public QelBase {
 public:
  static constexpr int32_t kIf = 3;
  int32_t AutoLayout() { return detail::Int(this, kIf, 2); }
  int32_t GetPosition(POINT* p) { return detail::Int(this, kIf, 5, 0, detail::P(p)); }
  QelEnv* GetEnv() { return detail::Obj<QelEnv>(this, kIf, 6); }
  int32_t IsVisible() { return detail::Int(this, kIf, 7); }
  int32_t Show(int32_t show) { return detail::Int(this, kIf, 8, show); }
  int32_t IsEnable() { return detail::Int(this, kIf, 9); }
  int32_t Enable(int32_t enable) { return detail::Int(this, kIf, 10, enable); }
  int32_t PutInsidePanel(QelElement* panel, QelElement* position) {
    return detail::Int(this, kIf, 11, reinterpret_cast<QELWPARAM>(panel), detail::P(position));
  }
  int32_t PutInsidePanelAtEnd(QelElement* panel) {
    return PutInsidePanel(panel, static_cast<QelElement*>(ADDEleEnd));
  }
  QelPanel* GetPanel() { return detail::Obj<QelPanel>(this, kIf, 12); }
  QelElement* GetElementByPos(POINT* p) { return detail::Obj<QelElement>(this, kIf, 13, 0, detail::P(p)); }
  int32_t SetCallback(QELCALLBACK callback, void* data) {
    return detail::Int(this, kIf, 18, reinterpret_cast<QELWPARAM>(callback), detail::P(data));
  }
  int32_t GetExistLayersetCount() { return detail::Int(this, kIf, 22); }
  QelLayerSet* GetLayersetByIndex(int32_t index) { return detail::Obj<QelLayerSet>(this, kIf, 23, 0, index); }
  QelLayerSet* GetStateLayersetByIndex(int32_t index) {
    return detail::Obj<QelLayerSet>(this, kIf, 23, 1, index);
  }
  int32_t GetEleWidthMethod() { return detail::Int(this, kIf, 27); }
  int32_t SetEleWidthMethod(uint32_t m) { return detail::Int(this, kIf, 28, m); }
  int32_t GetEleHeightMethod() { return detail::Int(this, kIf, 29); }
  int32_t SetEleHeightMethod(uint32_t m) { return detail::Int(this, kIf, 30, m); }
  int32_t GetSFSSize(SIZE* s) { return detail::Int(this, kIf, 33, 0, detail::P(s)); }
  int32_t SetSFSSize(SIZE* s) { return detail::Int(this, kIf, 34, 0, detail::P(s)); }
  int32_t SetCursorID(int32_t id, char* name) { return detail::Int(this, kIf, 62, id, detail::P(name)); }
  int32_t SetTips(const WCHAR* tips) { return detail::Int(this, kIf, 79, 0, detail::P(tips)); }
  // The callback gets the pointer: 0x40000002 press, 0x40000001 moves while
  // held, 0x40000003 release.
  int32_t SetPointerEvents(int32_t on) { return detail::Int(this, kIf, 91, on); }
  // Repeat ticks (event 16).
  int32_t StartRepeat(int32_t interval) { return detail::Int(this, 39, 1, interval); }
  int32_t StopRepeat() { return detail::Int(this, 39, 2); }

  QelSize* _QelSize() { return reinterpret_cast<QelSize*>(this); }
  QelText* _QelText() { return reinterpret_cast<QelText*>(this); }
};

class QelPanel : public QelElement {
 public:
  int32_t GetElementCount() { return detail::Int(this, 4, 5); }
  QelElement* GetSubItem(int32_t index) { return detail::Obj<QelElement>(this, 4, 6, index); }
  QelElement* GetElementByName(const char* name, int32_t deep) {
    return detail::Obj<QelElement>(this, 4, 12, deep, detail::P(name));
  }
  QelMargin* _QelMargin() { return reinterpret_cast<QelMargin*>(this); }
};

class QelLayer : public QelBase {
 public:
  intptr_t GetLayerFrame(LF_TYPE type) { return detail::Call(this, 5, 1, type); }
  int32_t SetLayerProperty(_LayerPropertyInfo* info) { return detail::Int(this, 5, 8, 0, detail::P(info)); }
};

class QelAUI : public QelBase {
 public:
  const WCHAR* GetStr(int32_t id) { return detail::Obj<const WCHAR>(this, 6, 2, id); }
};

class QelLayerSet : public QelBase {
 public:
  int32_t GetLayerCount() { return detail::Int(this, 13, 1); }
  QelLayer* GetLayer(int32_t index) { return detail::Obj<QelLayer>(this, 13, 2, index); }
};

class QelCheck : public QelBase {
 public:
  int32_t GetCheckState() { return detail::Int(this, 19, 1); }
  int32_t SetCheckState(int32_t state) { return detail::Int(this, 19, 2, state); }
};

class QelScroll : public QelBase {
 public:
  int32_t GetScrollPos() { return detail::Int(this, 23, 1); }
  int32_t SetScrollPos(int32_t pos) { return detail::Int(this, 23, 2, pos); }
  int32_t GetScrollInfo(tagDTScrollInfo* info) { return detail::Int(this, 23, 3, 0, detail::P(info)); }
  int32_t SetScrollInfo(tagDTScrollInfo* info) { return detail::Int(this, 23, 4, 0, detail::P(info)); }
  int32_t SetMinValue(int32_t v) { return detail::Int(this, 23, 5, v); }
  int32_t SetTotalNum(int32_t v) { return detail::Int(this, 23, 6, v); }
  int32_t SetPageNum(int32_t v) { return detail::Int(this, 23, 7, v); }
  int32_t SetStepFlag(int32_t v) { return detail::Int(this, 23, 11, v); }
};

class QelEdit : public QelBase {
 public:
  int32_t SetEditInfo(EDT_TYPE type, void* info) { return detail::Int(this, 24, 2, type, detail::P(info)); }
  int32_t SetLimitText(uint32_t n) { return detail::Int(this, 24, 3, n); }
  void* GetHandle() { return detail::Obj<void>(this, 24, 6); }
};

class QelComboBox : public QelBase {
 public:
  int32_t ResetContent() { return detail::Int(this, 29, 6); }
  int32_t GetSel() { return detail::Int(this, 29, 8); }
  int32_t SetSel(int32_t index) { return detail::Int(this, 29, 9, index); }
  int32_t GetCount() { return detail::Int(this, 29, 21); }
  int32_t ShowTips(int32_t on) { return detail::Int(this, 29, 26, on); }
  void* GetItemData(int32_t index) { return detail::Obj<void>(this, 29, 35, index); }
  int32_t SetItemData(int32_t index, void* data) { return detail::Int(this, 29, 36, index, detail::P(data)); }
  int32_t AddString(const WCHAR* text) { return detail::Int(this, 29, 50, 0, detail::P(text)); }
  int32_t FindString(int32_t start, const WCHAR* text) { return detail::Int(this, 29, 53, start, detail::P(text)); }
  int32_t SetTip(int32_t index, const WCHAR* tip) { return detail::Int(this, 29, 54, index, detail::P(tip)); }
  // buffer: 1024 units (the toolkit never writes more).
  int32_t GetStringByIndex(int32_t* index, WCHAR* buffer) {
    return detail::Int(this, 29, 55, reinterpret_cast<QELWPARAM>(index), detail::P(buffer));
  }
};

class QelSplitter : public QelBase {
 public:
  int32_t SetAssociate(const char* first, const char* second) {
    return detail::Int(this, 30, 1, reinterpret_cast<QELWPARAM>(first), detail::P(second));
  }
};

class QelAlbum : public QelBase {
 public:
  static constexpr int32_t kIf = 36;
  int32_t SetThumbWidth(int32_t v) { return detail::Int(this, kIf, 2, v); }
  int32_t SetThumbHeight(int32_t v) { return detail::Int(this, kIf, 4, v); }
  int32_t SetMinLayoutNum(int32_t v) { return detail::Int(this, kIf, 6, v); }
  int32_t SetMaxLayoutNum(int32_t v) { return detail::Int(this, kIf, 8, v); }
  int32_t GetNumOfItem() { return detail::Int(this, kIf, 15); }
  int32_t SetHorizontal(int32_t on) { return detail::Int(this, kIf, 18, on); }
  QelElement* GetItemByIndex(int32_t index) { return detail::Obj<QelElement>(this, kIf, 19, index); }
  int32_t SetTemplate(QelElement* item) { return detail::Int(this, kIf, 20, 0, detail::P(item)); }
  int32_t QueryDispaly(tagQueryAlbumDispArg* arg) { return detail::Int(this, kIf, 23, 0, detail::P(arg)); }
  int32_t QuerySelect(tagQueryAlbumSeleArg* arg) { return detail::Int(this, kIf, 24, 0, detail::P(arg)); }
  int32_t QueryCurrent() { return detail::Int(this, kIf, 25); }
  int32_t InsertHead(void* item) { return detail::Int(this, kIf, 27, 0, detail::P(item)); }
  int32_t InsertTail(void* item) { return detail::Int(this, kIf, 27, -1, detail::P(item)); }
  int32_t DeleteItem(int32_t index) { return detail::Int(this, kIf, 30, index); }
  int32_t GetDisplayMinCR(POINT* cr) { return detail::Int(this, kIf, 36, 0, detail::P(cr)); }
  int32_t GetIndexByPoint(int32_t* index, POINT* p) {
    return detail::Int(this, kIf, 37, reinterpret_cast<QELWPARAM>(index), detail::P(p));
  }
  int32_t SetSingleSelect(int32_t on) { return detail::Int(this, kIf, 39, on); }
  int32_t SetKeyAction(int32_t on) { return detail::Int(this, kIf, 41, on); }
  int32_t SetSelect(tagAlbumSeleNotify* n) { return detail::Int(this, kIf, 42, 0, detail::P(n)); }
  int32_t SetCurrentIndex(tagAlbumCurrentNotify* n) { return detail::Int(this, kIf, 43, 0, detail::P(n)); }
  int32_t SetHScrlShowState(int32_t s) { return detail::Int(this, kIf, 44, s); }
  int32_t SetVScrlShowState(int32_t s) { return detail::Int(this, kIf, 45, s); }
  int32_t GetCRByIndex(int32_t index, POINT* cr) { return detail::Int(this, kIf, 46, index, detail::P(cr)); }
  int32_t GetDisplayMaxCR(POINT* cr) { return detail::Int(this, kIf, 47, 0, detail::P(cr)); }
  int32_t GetIndexByCR(int32_t* index, POINT* cr) {
    return detail::Int(this, kIf, 48, reinterpret_cast<QELWPARAM>(index), detail::P(cr));
  }
  int32_t SetAdjustImageMode(int32_t mode) { return detail::Int(this, kIf, 53, mode); }
  void* GetItemDataByIndex(int32_t index) { return detail::Obj<void>(this, kIf, 56, index); }
  int32_t NavigateItem(int32_t how) { return detail::Int(this, kIf, 65, how); }
  int32_t GetSelectCount() { return detail::Int(this, kIf, 66); }
  int32_t GetSelectItems(int32_t count, int32_t* indexes) {
    return detail::Int(this, kIf, 67, count, detail::P(indexes));
  }
  int32_t ResetContent() { return detail::Int(this, kIf, 69); }
  int32_t IsCurrent(int32_t index) { return detail::Int(this, kIf, 70, index); }
  int32_t CancelDragDrop() { return detail::Int(this, kIf, 71); }
};

class QelMenu : public QelBase {
 public:
  QelElement* GetMenuItemByName(const char* name, int32_t deep) {
    return detail::Obj<QelElement>(this, 43, 16, deep, detail::P(name));
  }
  int32_t PopupMenu(const SMenuPopupParm* parm) { return detail::Int(this, 43, 21, 0, detail::P(parm)); }
};

}  // namespace PubQelmar
