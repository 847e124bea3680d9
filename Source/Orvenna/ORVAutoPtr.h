#pragma once
// The host's holder of one component reference.
#include <utility>

template <class T>
class CORVAutoPtr {
 public:
  CORVAutoPtr() = default;
  CORVAutoPtr(const CORVAutoPtr&) = delete;
  CORVAutoPtr& operator=(const CORVAutoPtr&) = delete;
  ~CORVAutoPtr() { release(); }

  // A different non-null pointer replaces the held one with a reference of
  // its own; the same pointer changes nothing; null releases.
  CORVAutoPtr& operator=(T* p) {
    if (p == m_p) return *this;
    if (p) p->AddRef();
    T* old = std::exchange(m_p, p);
    if (old) old->Release();
    return *this;
  }

  // Drops the reference and empties the holder.
  void release() {
    if (T* old = std::exchange(m_p, nullptr)) old->Release();
  }

  // For a creating call to fill: the creator's reference passes to the
  // holder. Whatever was held is released first, so it cannot leak.
  T** operator&() {
    release();
    return &m_p;
  }

  T* operator->() const { return m_p; }
  operator T*() const { return m_p; }  // NOLINT: used where the raw pointer is wanted
  T* get() const { return m_p; }
  bool operator==(T* p) const { return m_p == p; }
  bool operator!=(T* p) const { return m_p != p; }

 private:
  T* m_p = nullptr;
};
