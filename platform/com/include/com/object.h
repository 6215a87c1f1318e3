#pragma once

// com::Object: the base of a COM object written in C++.
//
//   class Group : public com::Object<Group, IOPCItemMgt, IDataObject> { ... };
//   com::Ptr<Group> group = com::makeObject<Group>(server, name);
//
// Object implements IUnknown for the class: an atomic reference count that
// deletes the object at its last Release, and a QueryInterface that answers
// IUnknown and each listed interface (and the interfaces they derive from,
// as declared with COM_DECLARE_INTERFACE). An object's identity, the pointer
// answered for IUnknown, is its first listed interface. A class that answers
// further interfaces overrides QueryInterface and falls back to
// Object::QueryInterface.
//
// Every live object and every LockServer lock counts in com::Module, which is
// separate in each shared library (the counters are hidden symbols), so a
// server's DllCanUnloadNow reports whether any of its own code is still in
// use:  STDAPI DllCanUnloadNow() { return com::Module::canUnloadNow(); }

#include <atomic>
#include <new>
#include <utility>

#include "com/ptr.h"
#include "com/unknown.h"

// Marks what must exist once per shared library rather than once per process.
#define COM_MODULE_LOCAL __attribute__((visibility("hidden")))

namespace com {

class COM_MODULE_LOCAL Module {
 public:
  static void objectCreated() noexcept { objects_.fetch_add(1, std::memory_order_relaxed); }
  static void objectDestroyed() noexcept { objects_.fetch_sub(1, std::memory_order_acq_rel); }
  static void lock() noexcept { locks_.fetch_add(1, std::memory_order_relaxed); }
  static void unlock() noexcept { locks_.fetch_sub(1, std::memory_order_acq_rel); }

  static long objectCount() noexcept { return objects_.load(std::memory_order_acquire); }
  static long lockCount() noexcept { return locks_.load(std::memory_order_acquire); }
  static bool canUnload() noexcept { return objectCount() == 0 && lockCount() == 0; }
  // What DllCanUnloadNow returns: S_OK when nothing of the module is in use.
  static HRESULT canUnloadNow() noexcept { return canUnload() ? S_OK : S_FALSE; }

  // An address inside this shared library, for finding the library's file.
  static const void* address() noexcept { return &objects_; }

 private:
  static inline std::atomic<long> objects_{0};
  static inline std::atomic<long> locks_{0};
};

template <class Derived, class FirstInterface, class... MoreInterfaces>
class Object : public FirstInterface, public MoreInterfaces... {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = identity();
    } else {
      (answer<FirstInterface>(riid, object) || ... || answer<MoreInterfaces>(riid, object));
    }
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
  }

  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // The object's one IUnknown (no reference added).
  IUnknown* identity() noexcept { return static_cast<FirstInterface*>(this); }

 protected:
  Object() noexcept { Module::objectCreated(); }
  virtual ~Object() { Module::objectDestroyed(); }

 private:
  template <class Interface>
  bool answer(REFIID riid, void** object) {
    if (!answersIid<Interface>(riid)) return false;
    using Exposed = typename detail::ExposedInterface<Interface>::type;
    *object = static_cast<Exposed*>(static_cast<Interface*>(static_cast<Derived*>(this)));
    return true;
  }

  std::atomic<ULONG> references_{0};
};

// Creates an object holding one reference; empty when memory runs out. The
// constructor may throw std::bad_alloc (it is turned into an empty result);
// any other exception is a fault of the class and is not caught.
template <class T, class... Args>
Ptr<T> makeObject(Args&&... args) {
  T* object = nullptr;
  try {
    object = new T(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return {};
  }
  return Ptr<T>(object);
}

}  // namespace com
