#pragma once
// ComPtr<T>: a counted reference to an interface. It AddRefs what it copies,
// Releases what it drops, and hands out its slot for the "out" parameter of a
// COM call with Put().
//   com::ComPtr<IDispatch> disp;
//   hr = unknown->QueryInterface(IDispatch::iid, disp.PutVoid());
//   hr = obj.As(&disp);
#include <utility>

#include "com/unknown.h"

namespace com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference (AddRef) to p.
  ComPtr(T* p) : p_(p) { AddRefIf(); }
  ComPtr(const ComPtr& other) : p_(other.p_) { AddRefIf(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  ComPtr(const ComPtr<U>& other) : p_(other.Get()) { AddRefIf(); }
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(T* p) {
    ComPtr(p).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  // Adopts a reference the caller owns (no AddRef).
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  // Gives the reference away (no Release).
  T* Detach() { return std::exchange(p_, nullptr); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // The slot for an out parameter; releases what was held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for U into *out.
  template <class U>
  HRESULT As(ComPtr<U>* out) const {
    if (!out) return E_POINTER;
    if (!p_) {
      out->Reset();
      return E_POINTER;
    }
    return p_->QueryInterface(U::iid, out->PutVoid());
  }
  // A new reference for an out parameter of the caller's own COM method.
  HRESULT CopyTo(T** out) const {
    if (!out) return E_POINTER;
    *out = p_;
    AddRefIf();
    return S_OK;
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  void AddRefIf() const {
    if (p_) p_->AddRef();
  }
  T* p_ = nullptr;
};

// QueryInterface from any interface pointer; an empty ComPtr on failure.
template <class U, class T>
ComPtr<U> QueryAs(T* p) {
  ComPtr<U> out;
  if (p) p->QueryInterface(U::iid, out.PutVoid());
  return out;
}

}  // namespace com
