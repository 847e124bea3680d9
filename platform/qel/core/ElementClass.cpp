// Element classes registered by descriptor (plug-in controls).
#include <cstdlib>
#include <map>
#include <mutex>

#include "qel/QelCore.h"
#include "qel/QelElement.h"
#include "qel/QelElementClass.h"

namespace qel {

namespace {

std::mutex g_lock;
std::map<uint32_t, QELCLASSDESC*>& Descriptors() {
  static std::map<uint32_t, QELCLASSDESC*> d;
  return d;
}

QELCLASSDESC* Find(uint32_t kind) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = Descriptors().find(kind);
  return it == Descriptors().end() ? nullptr : it->second;
}

class DescribedElement : public Element {
 public:
  DescribedElement(QELCLASSDESC* desc, std::string name)
      : Element(desc->kind, std::move(name)), desc_(desc), data_(std::calloc(1, desc->dataSize ? desc->dataSize : 1)) {}

  const QELCLASSDESC* Desc() const { return desc_; }
  void* Data() const { return data_; }

  intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) override {
    if (desc_->FInterface) return desc_->FInterface(Handle(), iface, method, w, l);
    return Element::Inter(iface, method, w, l);
  }
  intptr_t ParentInter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
    return Element::Inter(iface, method, w, l);
  }

  Object* Copy() const override {
    auto* c = new DescribedElement(desc_, Name());
    CopyStateTo(c, true);
    auto* self = const_cast<DescribedElement*>(this);
    if (desc_->FCopy && !desc_->FCopy(self->Handle(), c->Handle())) {
      c->Release();
      return nullptr;
    }
    c->Inter(QEL_IF_LIFECYCLE, QEL_LIFE_CREATED, 0, 0);
    return c;
  }

 protected:
  ~DescribedElement() override {
    if (desc_->FUninit) desc_->FUninit(Handle());
    std::free(data_);
  }

 private:
  QELCLASSDESC* desc_;
  void* data_;
};

intptr_t ParentInterface(QelObject element, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  auto* e = dynamic_cast<DescribedElement*>(Element::From(element));
  return e ? e->ParentInter(iface, method, w, l) : QEL_E_POINTER;
}

Element* MakeDescribed(uint32_t kind, std::string name) {
  QELCLASSDESC* desc = Find(kind);
  if (!desc) return nullptr;  // unregistered since: a plain element
  auto* e = new DescribedElement(desc, std::move(name));
  if (desc->FInit) desc->FInit(e->Handle());
  e->Inter(QEL_IF_LIFECYCLE, QEL_LIFE_CREATED, 0, 0);
  return e;
}

}  // namespace

}  // namespace qel

int32_t Qel0RegisterClass(QELCLASSDESC* desc, void*) {
  if (!desc || desc->size < sizeof(QELCLASSDESC) || !desc->kind || !desc->FInterface) return 0;
  {
    std::lock_guard<std::mutex> hold(qel::g_lock);
    auto& d = qel::Descriptors();
    auto it = d.find(desc->kind);
    if (it != d.end() && it->second != desc) return 0;
    desc->ParentInterface = &qel::ParentInterface;
    d[desc->kind] = desc;
  }
  qel::RegisterElementClass(desc->kind, &qel::MakeDescribed);
  return 1;
}

int32_t Qel0UnregisterClass(uint32_t kind) {
  {
    std::lock_guard<std::mutex> hold(qel::g_lock);
    if (!qel::Descriptors().erase(kind)) return 0;
  }
  qel::RegisterElementClass(kind, nullptr);
  return 1;
}

void* Qel0GetObjDataC(const QELCLASSDESC* desc, QelObject element) {
  auto* e = dynamic_cast<qel::DescribedElement*>(qel::Element::From(element));
  return e && e->Desc() == desc ? e->Data() : nullptr;
}

QelObject Qel0CopyOnWrite(QelObject element) { return element; }
