#pragma once
// The C++ side of a toolkit handle: every QelObject is a qel::Object.
#include <atomic>
#include <cstdint>
#include <functional>

#include "qel/QelCore.h"

namespace qel {

class QEL_API Object {
 public:
  explicit Object(uint32_t kind);
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  int32_t Retain();
  int32_t Release();
  int32_t RefCount() const { return refs_.load(); }
  uint32_t Kind() const { return kind_; }

  // A deep copy with count 1, or null when the kind cannot be copied.
  virtual Object* Copy() const { return nullptr; }
  // The numbered calls this object answers; QEL_E_NOTIMPL by default.
  virtual intptr_t Inter(int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l);

  QelObject Handle() { return static_cast<QelObject>(this); }
  // The object behind a handle; null for null or a pointer that is not one.
  static Object* FromHandle(QelObject h);

 protected:
  virtual ~Object();

 private:
  static constexpr uint32_t kMagic = 0x51654c4fu;
  uint32_t magic_ = kMagic;
  std::atomic<int32_t> refs_{1};
  uint32_t kind_;
};

// Kinds that later areas serve (pictures, layers, image control) register a
// factory here; Qel0CreateObj answers null for kinds nobody registered.
using ObjectFactory = std::function<Object*(QELWPARAM, QELLPARAM)>;
QEL_API void RegisterObjectKind(uint32_t kind, ObjectFactory factory);

}  // namespace qel
