#include <algorithm>

#include "qel/QelWindow.h"

CQelCallbackMap::CQelCallbackMap() = default;

CQelCallbackMap::~CQelCallbackMap() { ClearCallBacks(); }

void CQelCallbackMap::RegisterCallBack(const char* name, int32_t event, QELCALLBACK cb, void* data) {
  if (!name || !cb) return;
  entries_.push_back(Entry{name, event, cb, data ? data : DefaultCallbackData()});
  if (panel_) {
    if (qel::Element* e = panel_->FindByName(name, true)) Hook(e);
  }
}

void CQelCallbackMap::Hook(qel::Element* e) {
  e->SetCallback(&CQelCallbackMap::Dispatch, this);
  if (std::find(hooked_.begin(), hooked_.end(), e) == hooked_.end()) {
    e->Retain();
    hooked_.push_back(e);
  }
}

int32_t CQelCallbackMap::AttachCallBacks(QelObject panel) {
  qel::Element* p = qel::Element::From(panel);
  if (!p) return QEL_E_POINTER;
  DetachCallBacks();
  p->Retain();
  panel_ = p;
  for (const Entry& en : entries_) {
    qel::Element* e = qel::NamesEqual(p->Name(), en.name) ? p : p->FindByName(en.name, true);
    if (e) Hook(e);
  }
  return QEL_S_OK;
}

void CQelCallbackMap::DetachCallBacks() {
  for (qel::Element* e : hooked_) {
    if (e->Callback() == &CQelCallbackMap::Dispatch && e->CallbackData() == this) {
      e->SetCallback(nullptr, nullptr);
    }
    e->Release();
  }
  hooked_.clear();
  if (panel_) panel_->Release();
  panel_ = nullptr;
}

void CQelCallbackMap::ClearCallBacks() {
  DetachCallBacks();
  entries_.clear();
}

int32_t CQelCallbackMap::Dispatch(QelObject element, int32_t event, QELLPARAM param, void* map) {
  auto* self = static_cast<CQelCallbackMap*>(map);
  qel::Element* e = qel::Element::From(element);
  if (!self || !e) return 0;
  int32_t result = 0;
  // Copy: a callback may register or clear callbacks.
  std::vector<Entry> entries = self->entries_;
  for (const Entry& en : entries) {
    if (!qel::NamesEqual(en.name, e->Name())) continue;
    if (en.event != kAllEvents && en.event != event) continue;
    result = en.cb(element, event, param, en.data);
  }
  return result;
}

CQelWindMessageMap::~CQelWindMessageMap() = default;

void CQelWindMessageMap::RegisterMessage(uint32_t msg, Handler h) { handlers_[msg] = std::move(h); }

void CQelWindMessageMap::UnregisterMessage(uint32_t msg) { handlers_.erase(msg); }

intptr_t CQelWindMessageMap::DispatchMapped(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) {
  auto it = handlers_.find(msg);
  if (it == handlers_.end()) return 0;
  Handler h = it->second;
  handled = true;
  return h(wp, lp, handled);
}
