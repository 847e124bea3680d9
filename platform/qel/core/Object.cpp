#include "qel/QelObject.h"

#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>

namespace qel {

namespace {
std::mutex& FactoryLock() {
  static std::mutex m;
  return m;
}
std::map<uint32_t, ObjectFactory>& Factories() {
  static std::map<uint32_t, ObjectFactory> f;
  return f;
}
}  // namespace

Object::Object(uint32_t kind) : kind_(kind) {}

Object::~Object() { magic_ = 0; }

int32_t Object::Retain() { return refs_.fetch_add(1) + 1; }

int32_t Object::Release() {
  int32_t left = refs_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

intptr_t Object::Inter(int32_t, int32_t, QELWPARAM, QELLPARAM) { return QEL_E_NOTIMPL; }

Object* Object::FromHandle(QelObject h) {
  if (h == nullptr || h == ADDEleEnd) return nullptr;
  // Read the mark as raw bytes: the handle may not be an Object at all.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
  constexpr size_t at = offsetof(Object, magic_);
#pragma GCC diagnostic pop
  uint32_t mark = 0;
  std::memcpy(&mark, static_cast<const char*>(h) + at, sizeof(mark));
  return mark == kMagic ? static_cast<Object*>(h) : nullptr;
}

void RegisterObjectKind(uint32_t kind, ObjectFactory factory) {
  std::lock_guard<std::mutex> lock(FactoryLock());
  Factories()[kind] = std::move(factory);
}

ObjectFactory FindObjectFactory(uint32_t kind) {
  std::lock_guard<std::mutex> lock(FactoryLock());
  auto it = Factories().find(kind);
  return it == Factories().end() ? ObjectFactory{} : it->second;
}

}  // namespace qel
