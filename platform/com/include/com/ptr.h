#pragma once

// com::Ptr<T>: an owning reference to a COM object. It holds one reference
// (AddRef when it takes a pointer it was given, Release when it lets go), so
// server and stand-in code cannot forget a Release on an early return.
//
//   com::Ptr<IDataObject> data;
//   HRESULT hr = unknown.queryInterface(data);     // into another Ptr
//   hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(sink.put()));
//   return data.copyTo(out);                       // hand out a reference

#include <cstddef>
#include <utility>

#include "com/unknown.h"

namespace com {

template <class T>
class Ptr {
 public:
  Ptr() noexcept = default;
  Ptr(std::nullptr_t) noexcept {}
  // Takes a reference of its own to pointer.
  explicit Ptr(T* pointer) noexcept : pointer_(pointer) { addRef(); }
  Ptr(const Ptr& other) noexcept : pointer_(other.pointer_) { addRef(); }
  Ptr(Ptr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  template <class U>
  Ptr(const Ptr<U>& other) noexcept : pointer_(other.get()) {
    addRef();
  }
  ~Ptr() { release(); }

  Ptr& operator=(const Ptr& other) noexcept {
    Ptr(other).swap(*this);
    return *this;
  }
  Ptr& operator=(Ptr&& other) noexcept {
    Ptr(std::move(other)).swap(*this);
    return *this;
  }
  Ptr& operator=(std::nullptr_t) noexcept {
    reset();
    return *this;
  }

  // Adopts a reference the caller already owns (no AddRef).
  static Ptr attach(T* pointer) noexcept {
    Ptr result;
    result.pointer_ = pointer;
    return result;
  }
  // Gives up the reference without releasing it.
  [[nodiscard]] T* detach() noexcept { return std::exchange(pointer_, nullptr); }

  void reset() noexcept {
    T* old = std::exchange(pointer_, nullptr);
    if (old != nullptr) old->Release();
  }
  void swap(Ptr& other) noexcept { std::swap(pointer_, other.pointer_); }

  T* get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  T& operator*() const noexcept { return *pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // Releases what is held and returns the slot for an out-parameter that
  // receives a new reference.
  T** put() noexcept {
    reset();
    return &pointer_;
  }
  void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

  // Hands a new reference to an out-parameter; E_POINTER for a null one.
  HRESULT copyTo(T** out) const noexcept {
    if (out == nullptr) return E_POINTER;
    *out = pointer_;
    if (pointer_ != nullptr) pointer_->AddRef();
    return S_OK;
  }

  // Asks the object for another interface; target is empty on failure.
  template <class U>
  HRESULT queryInterface(Ptr<U>& target) const noexcept {
    if (pointer_ == nullptr) {
      target.reset();
      return E_POINTER;
    }
    return pointer_->QueryInterface(iidOf<U>(), target.putVoid());
  }
  HRESULT queryInterface(REFIID riid, void** object) const noexcept {
    if (pointer_ == nullptr) {
      if (object != nullptr) *object = nullptr;
      return E_POINTER;
    }
    return pointer_->QueryInterface(riid, object);
  }

  friend bool operator==(const Ptr& a, const Ptr& b) noexcept { return a.pointer_ == b.pointer_; }
  friend bool operator==(const Ptr& a, std::nullptr_t) noexcept { return a.pointer_ == nullptr; }

 private:
  void addRef() noexcept {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  void release() noexcept {
    if (pointer_ != nullptr) pointer_->Release();
  }

  T* pointer_ = nullptr;
};

}  // namespace com
